#pragma once
// The program's power steps over the power service: arming and cancelling
// the wake-up timer for the next schedule, standby or hibernation, shutdown,
// and keeping the PC awake while a schedule runs. Failures are shown to the
// user or written to the debug log here; nothing throws. The timer and the
// power steps run on the countdown's worker, the cancel and the keep-awake
// request on the interface thread.
#include <atomic>
#include <string>

#include "platform/system_time.h"

class CDebugLog;
class IClock;
class IPower;
class IPrompt;

class CPowerControl {
 public:
  // timerName: the wake-up timer's name from the settings ("" for an unnamed
  // timer; GetWakeupTimerName gives nullptr then).
  CPowerControl(IPower& power, IPrompt& prompt, IClock& clock, CDebugLog& log,
                std::string timerName);

  // Arms the wake-up timer for wakeTime (local time, seconds resolution). True
  // when the PC will wake then; false after the user was told why not, so
  // that the caller does not put the PC to sleep without a way back.
  [[nodiscard]] bool TzSetWakeupTimer(const SystemTime& wakeTime);
  // Cancels and closes the timer if one is held.
  void CancelWakeupTimer();
  // Mode 1 hibernates, 0 enters standby. The system call's result.
  bool SuspendSystem(int mode);
  void ShutdownSystem();
  // Asks the system to stay awake (or drops the request); only a change
  // reaches the power service.
  void KeepAwake(bool on);

  IPrompt& Prompt() { return prompt_; }
  IClock& Clock() { return clock_; }
  CDebugLog& Log() { return log_; }

 private:
  IPower& power_;
  IPrompt& prompt_;
  IClock& clock_;
  CDebugLog& log_;
  const std::string timerName_;
  std::atomic<int> awake_{-1};  // -1 unknown, 0 off, 1 on
};
