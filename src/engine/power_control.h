#pragma once
// The program's power steps over the power service: the standing wake-up
// timer for the next schedule, standby or hibernation (the one the machine
// offers when the chosen one is missing), shutdown, and keeping the PC awake
// while a schedule runs. Failures are shown to the user or written to the
// debug log here; nothing throws. The suspend and shutdown run on the
// countdown's worker, the rest on the interface thread.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/standing_timer.h"
#include "engine/wake_readiness.h"
#include "platform/system_time.h"

class CDebugLog;
class IClock;
class IPower;
class IPowerReadings;
class IPrompt;

class CPowerControl {
 public:
  // timerName: the wake-up timer's name from the settings ("" for an unnamed
  // timer; GetWakeupTimerName gives nullptr then). readings: where the sleep
  // states and wake settings are read; without it the chosen sleep state is
  // entered unchecked and the diagnosis has nothing read.
  CPowerControl(IPower& power, IPrompt& prompt, IClock& clock, CDebugLog& log,
                std::string timerName, IPowerReadings* readings = nullptr);

  // Keeps the standing timer due at wakeSeconds (seconds as the table's), or
  // none. Reaches the power service only on a change, or to try a refused
  // arming again as nowSeconds (the same clock) passes; a refusal is told once.
  // reason: what the system shows for the timer, given at its next arming.
  void WantWakeAt(std::optional<int64_t> wakeSeconds, int64_t nowSeconds,
                  const std::string& reason = {});
  // Before a suspend: makes sure the PC will wake at wakeTime (local time,
  // seconds resolution), arming now only if the standing timer is not that.
  // False after the user was told why not, so that the caller does not put
  // the PC to sleep without a way back.
  [[nodiscard]] bool TzSetWakeupTimer(const SystemTime& wakeTime);
  // The wake a suspend arms for: wakeTime, or the standing timer's wanted
  // wake when that is earlier (the plan changed while a countdown ran: an
  // earlier schedule was entered).
  SystemTime EarlierWake(const SystemTime& wakeTime) const;
  // Cancels and closes the timer if one is held.
  void CancelWakeupTimer();
  // After a resume: the standing timer is armed afresh at the next chance.
  void ForgetWakeupTimer();
  WakeTimerStatus WakeupTimerStatus() const;

  // Enters mode; where the machine lacks that state the other one is entered
  // (written to the debug log), and where it has neither the user is told and
  // nothing happens. The system call's result.
  bool SuspendSystem(SleepMode mode);
  void ShutdownSystem();
  // Asks the system to stay awake for reason (what the system's list of
  // power requests shows), or drops the request. The power service hears a
  // change (on or off, or another reason while on), and, after a resume, the
  // first call that wants the PC awake: a sleep may have ended the request,
  // and the system would not say so.
  void KeepAwake(bool on, const std::string& reason = {});
  // The PC resumed: the next KeepAwake that is on asks the system again.
  void KeepAwakeAfterResume();

  // The readiness of this PC to wake, read now, for the user's sleep choice.
  // A reading that failed is written to the debug log with the system's code
  // whenever what failed changes (the texts for the user leave codes out).
  // On the interface thread.
  WakeDiagnosis Diagnose(SleepMode sleepMode, const WakeTestResult& lastTest = {}) const;
  // The readings now (nothing read without a source).
  PowerReadings Readings() const;

 private:
  IPower& power_;
  IPrompt& prompt_;
  CDebugLog& log_;
  IPowerReadings* readings_;
  CStandingTimer timer_;
  // The keep-awake request as last asked; the interface thread's only.
  int awake_ = -1;  // -1 unknown, 0 off, 1 on
  std::string awakeReason_;
  bool resumed_ = false;  // asked before the last resume
  std::atomic<bool> toldNoSleep_{false};
  mutable std::string loggedUnchecked_;  // the failed readings last logged
};
