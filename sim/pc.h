#pragma once
// The simulated PC under the program: its power service takes the program's
// requests and leaves the sleeping and waking to the simulation (the states
// the PC passes through are in pc_states.cpp). Called from the interface
// thread and from the countdown's worker.
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/power.h"
#include "support/fakes.h"

// The power service of the simulated PC. The program's requests to sleep or
// shut down are queued for the simulation, which decides what the PC does.
class SimPc final : public IPower {
 public:
  enum class Request { kSuspend, kShutdown };
  struct Outcome {
    bool ok = true;
    SystemError error;
  };

  explicit SimPc(const FakeClock& clock) : clock_(clock) {}

  bool OpenWakeTimer(const std::string& name, SystemError* error) override;
  bool ArmWakeTimer(int64_t wakeSeconds, const std::string& reason, SystemError* error) override;
  bool CancelWakeTimer() override;
  bool HasWakeTimer() const override;
  bool Suspend(SleepMode mode) override;
  ShutdownResult Shutdown() override;
  void KeepAwake(bool on, const std::string& reason) override;

  // Decides each arming's result (a fault injector); none: every arming works.
  void SetArmOutcome(std::function<Outcome()> decide);
  // The oldest power request not yet taken, with the clock's time it came at.
  std::optional<std::pair<Request, int64_t>> TakeRequest();
  // Calendar seconds the held timer will wake the PC at; none when no timer
  // is armed.
  std::optional<int64_t> ArmedAt() const;
  // The armed timer fired: it is no longer armed (the handle stays held).
  void TimerFired();
  bool KeepingAwake() const;
  // The program's process ended: the system closes its timer and drops its
  // keep-awake request.
  void ProcessEnded();
  int Armings() const;

 private:
  const FakeClock& clock_;
  mutable std::mutex mutex_;
  bool held_ = false;
  std::optional<int64_t> armedAt_;
  bool keepAwake_ = false;
  int armings_ = 0;
  std::function<Outcome()> decide_;
  std::deque<std::pair<Request, int64_t>> requests_;
};
