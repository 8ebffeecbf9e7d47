#pragma once
// The record of the recording stand-ins for the mailer and the recording
// program: each writes the arguments it received, each ended by a zero byte,
// to "<its own path>.args".
#include <optional>
#include <string>
#include <vector>

// The arguments held in a record's bytes.
std::vector<std::string> ArgumentsInRecord(const std::string& bytes);

// The arguments of the last run of the stand-in at recorderPath, or none
// when it has not run since ClearRecord.
std::optional<std::vector<std::string>> RecordedArguments(const std::string& recorderPath);
void ClearRecord(const std::string& recorderPath);
