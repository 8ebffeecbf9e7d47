#pragma once
// The recording stand-in for the mailer beside the test program: it writes
// the arguments it receives, each ended by a zero byte, to "<its path>.args".
#include <optional>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/program_path.h"

inline std::string RecorderPath() {
  return JoinPath(DirectoryOf(ProgramPath()), NIMBRA_RECORDING_MAILER);
}
inline std::string RecordPath() { return RecorderPath() + ".args"; }

// The arguments of the last run, or none when the recorder did not run
// since ClearRecord.
inline std::optional<std::vector<std::string>> RecordedArguments() {
  const auto bytes = ReadFileBytes(RecordPath());
  if (!bytes) return std::nullopt;
  std::vector<std::string> args;
  size_t start = 0;
  for (size_t i = 0; i < bytes->size(); ++i) {
    if ((*bytes)[i] == '\0') {
      args.push_back(bytes->substr(start, i - start));
      start = i + 1;
    }
  }
  return args;
}
inline void ClearRecord() { RemoveFile(RecordPath()); }
