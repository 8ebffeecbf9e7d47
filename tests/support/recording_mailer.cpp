#include "support/recording_mailer.h"

#include "platform/file.h"

namespace {
std::string RecordOf(const std::string& recorderPath) { return recorderPath + ".args"; }
}  // namespace

std::vector<std::string> ArgumentsInRecord(const std::string& bytes) {
  std::vector<std::string> args;
  size_t from = 0;
  for (size_t zero; (zero = bytes.find('\0', from)) != std::string::npos; from = zero + 1) {
    args.push_back(bytes.substr(from, zero - from));
  }
  return args;
}

std::optional<std::vector<std::string>> RecordedArguments(const std::string& recorderPath) {
  const auto bytes = ReadFileBytes(RecordOf(recorderPath));
  if (!bytes) return std::nullopt;
  return ArgumentsInRecord(*bytes);
}

void ClearRecord(const std::string& recorderPath) { RemoveFile(RecordOf(recorderPath)); }
