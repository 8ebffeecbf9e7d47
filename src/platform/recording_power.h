#pragma once
// A power service that never touches the machine: it records every request
// and answers with the results it was told to give. Tests use it on both
// platforms; on Linux it is also the system's power service. Safe to use from
// the countdown's worker and the interface thread at once.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/power.h"

class RecordingPower final : public IPower {
 public:
  struct Call {
    std::string what;  // "open", "arm", "cancel", "suspend", "shutdown", "awake"
    std::string name;  // open: the timer name
    int64_t value = 0;   // arm: wake seconds; suspend: 1 hibernation, 0 standby; awake: 1 on, 0 off
    std::string reason;  // arm, awake: the reason given to the system
  };

  bool OpenWakeTimer(const std::string& name, SystemError* error) override;
  bool ArmWakeTimer(int64_t wakeSeconds, const std::string& reason, SystemError* error) override;
  bool CancelWakeTimer() override;
  bool HasWakeTimer() const override;
  bool Suspend(SleepMode mode) override;
  ShutdownResult Shutdown() override;
  void KeepAwake(bool on, const std::string& reason) override;
  // The system ended the keep-awake request (as a sleep may), without a word.
  void EndKeepAwakeBySleep();

  // Answers to give. A name opened while this service holds a timer of that
  // name, or one held elsewhere, reports kAlreadyExists, as the system does
  // for an existing timer.
  void FailOpen(SystemError error);
  // Another program holds a timer called name.
  void HoldElsewhere(const std::string& name);
  void SetArmResult(bool ok, SystemError error);
  void SetShutdownResult(ShutdownResult r);

  std::vector<Call> Calls() const;
  // The calls of one kind only.
  std::vector<Call> Calls(const std::string& what) const;
  bool KeepingAwake() const;
  int64_t ArmedAt() const;  // wake seconds of the armed timer, 0 when none
  void Clear();

 private:
  void Record(Call call);

  mutable std::mutex mutex_;
  std::vector<Call> calls_;
  bool held_ = false;
  std::string heldName_;
  std::vector<std::string> elsewhere_;
  int64_t armedAt_ = 0;
  bool failOpen_ = false;
  SystemError openError_;
  bool armOk_ = true;
  SystemError armError_;
  ShutdownResult shutdownResult_ = ShutdownResult::kOk;
  bool awake_ = false;
};
