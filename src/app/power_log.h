#pragma once
// A power service that only writes down what it was asked, one line per
// request, to a text file: the dry run's power service. The program uses it
// instead of the real one when started with /dryrun or when the environment
// variable NIMBRA_POWER_LOG names such a file, so that a schedule's end can be
// tried out (and the end-to-end tests run) without putting the machine to
// sleep.
//
// A log that cannot be written (a read-only folder) is told once, in the
// debug log and through the prompt (the program's notice board, so the tick
// never waits for it), until a line is written again.
#include <functional>
#include <mutex>
#include <string>

#include "platform/power.h"
#include "platform/recording_power.h"
#include "platform/tell_once.h"

class CDebugLog;
class IPrompt;

class CPowerLog final : public IPower {
 public:
  CPowerLog(std::string path, IPrompt& prompt, CDebugLog& log)
      : path_(std::move(path)), prompt_(prompt), log_(log) {}

  bool OpenWakeTimer(const std::string& name, SystemError* error) override;
  bool ArmWakeTimer(int64_t wakeSeconds, const std::string& reason, SystemError* error) override;
  bool CancelWakeTimer() override;
  bool HasWakeTimer() const override;
  bool Suspend(SleepMode mode) override;
  ShutdownResult Shutdown() override;
  void KeepAwake(bool on, const std::string& reason) override;

  // Called after every suspend is written (on the thread that asked for it),
  // so that the dry run can play the sleep that did not happen.
  void SetSuspendListener(std::function<void()> listener) { onSuspend_ = std::move(listener); }

 private:
  void Write(const std::string& what, int64_t value);
  // A line "<what> <text>" (the reasons: "arm-reason", "awake-reason").
  void WriteText(const char* what, const std::string& text);
  void WriteLine(const std::string& line);
  std::string path_;
  IPrompt& prompt_;
  CDebugLog& log_;
  std::mutex mutex_;
  TellOnce<> writeFailure_;  // under mutex_
  RecordingPower record_;
  std::function<void()> onSuspend_;
};

// What the user is told when the dry run's log cannot be written.
std::string PowerLogFailedText(const std::string& pathUtf8);
