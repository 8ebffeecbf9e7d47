#include "support/recording_mailer.h"

#include <cstdlib>

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

void ClearRecord(const std::string& recorderPath) {
  RemoveFile(RecordOf(recorderPath));
  RemoveFile(recorderPath + ".cwd");
}

std::optional<std::string> RecordedFolder(const std::string& recorderPath) {
  std::optional<std::string> folder = ReadFileBytes(recorderPath + ".cwd");
  while (folder && !folder->empty() && (folder->back() == '\n' || folder->back() == '\r'))
    folder->pop_back();
  return folder;
}

HeldRecorder::HeldRecorder(std::string recorderPath) : hold_(std::move(recorderPath) + ".hold") {
  if (!WriteFileAtomically(hold_, "")) std::abort();
}

void HeldRecorder::Release() { RemoveFile(hold_); }
