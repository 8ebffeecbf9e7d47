#pragma once
// The recording stand-in for the mailer beside the test program.
#include <optional>
#include <string>
#include <vector>

#include "platform/program_path.h"
#include "support/recording_mailer.h"

inline std::string RecorderPath() {
  return JoinPath(DirectoryOf(ProgramPath()), NIMBRA_RECORDING_MAILER);
}
inline std::optional<std::vector<std::string>> RecordedArguments() {
  return RecordedArguments(RecorderPath());
}
inline void ClearRecord() { ClearRecord(RecorderPath()); }
