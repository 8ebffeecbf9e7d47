#pragma once
// A child process of this program that the kill test starts and kills
// without warning (SIGKILL, TerminateProcess).
#include <string>

class ChildProcess {
 public:
  // Starts this program again with the arguments; false when it cannot,
  // with the system's error number in LastError().
  bool Start(const std::string& arg1, const std::string& arg2);
  unsigned long LastError() const { return lastError_; }
  // Kills it at once and waits until it is gone.
  void Kill();

 private:
  long long id_ = 0;
  void* handle_ = nullptr;
  unsigned long lastError_ = 0;
};

// Sleeps for the given microseconds.
void SleepMicroseconds(unsigned us);
