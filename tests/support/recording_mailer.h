#pragma once
// The record of the recording stand-ins for the mailer and the recording
// program: each writes the arguments it received, each ended by a zero byte,
// to "<its own path>.args", and the mailer's its working folder to
// "<its own path>.cwd". While "<its own path>.hold" exists the mailer waits.
#include <optional>
#include <string>
#include <vector>

// The arguments held in a record's bytes.
std::vector<std::string> ArgumentsInRecord(const std::string& bytes);

// The arguments of the last run of the stand-in at recorderPath, or none
// when it has not run since ClearRecord.
std::optional<std::vector<std::string>> RecordedArguments(const std::string& recorderPath);
void ClearRecord(const std::string& recorderPath);
// The working folder (UTF-8) of the last run of the mailer stand-in, or none.
std::optional<std::string> RecordedFolder(const std::string& recorderPath);

// Holds the mailer stand-in at recorderPath from starting its record until
// Release or the end of the scope: a mailer that does not end.
class HeldRecorder {
 public:
  explicit HeldRecorder(std::string recorderPath);
  ~HeldRecorder() { Release(); }
  HeldRecorder(const HeldRecorder&) = delete;
  HeldRecorder& operator=(const HeldRecorder&) = delete;
  void Release();

 private:
  std::string hold_;
};
