#pragma once
// The power steps with the notifications' manners: before the PC sleeps or
// shuts down, a send in flight gets a few seconds to end (the countdown's
// worker waits, never the tick); what did not go is tried again after the
// resume.
#include "notify/notify_sender.h"
#include "platform/power.h"

class CNotifyingPower final : public IPower {
 public:
  static constexpr unsigned kWaitMs = 3000;

  CNotifyingPower(IPower& power, CNotifySender& sender) : power_(power), sender_(sender) {}

  bool OpenWakeTimer(const std::string& name, SystemError* error) override {
    return power_.OpenWakeTimer(name, error);
  }
  bool ArmWakeTimer(int64_t wakeSeconds, const std::string& reason, SystemError* error) override {
    return power_.ArmWakeTimer(wakeSeconds, reason, error);
  }
  bool CancelWakeTimer() override { return power_.CancelWakeTimer(); }
  bool HasWakeTimer() const override { return power_.HasWakeTimer(); }
  bool Suspend(SleepMode mode) override {
    (void)sender_.WaitIdle(kWaitMs);
    return power_.Suspend(mode);
  }
  ShutdownResult Shutdown() override {
    (void)sender_.WaitIdle(kWaitMs);
    return power_.Shutdown();
  }
  void KeepAwake(bool on, const std::string& reason) override { power_.KeepAwake(on, reason); }

 private:
  IPower& power_;
  CNotifySender& sender_;
};
