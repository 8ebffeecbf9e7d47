#include "engine/power_control.h"

#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/power.h"
#include "platform/power_readings.h"
#include "platform/prompt.h"
#include "schedule/nimbra_doc.h"
#include "schedule/time_rules.h"

CPowerControl::CPowerControl(IPower& power, IPrompt& prompt, IClock& clock, CDebugLog& log,
                             std::string timerName, IPowerReadings* readings)
    : power_(power),
      prompt_(prompt),
      log_(log),
      readings_(readings),
      timer_(power, prompt, log, std::move(timerName), &clock) {}

void CPowerControl::WantWakeAt(std::optional<int64_t> wakeSeconds, int64_t nowSeconds,
                               const std::string& reason) {
  timer_.Want(wakeSeconds, nowSeconds, reason);
}

bool CPowerControl::TzSetWakeupTimer(const SystemTime& wakeTime) {
  return timer_.Ensure(TimeToSeconds(wakeTime));
}

SystemTime CPowerControl::EarlierWake(const SystemTime& wakeTime) const {
  const std::optional<int64_t> standing = timer_.Wanted();
  SystemTime earlier{};
  if (standing && *standing < TimeToSeconds(wakeTime) && SecondsToTime(*standing, &earlier))
    return earlier;
  return wakeTime;
}

void CPowerControl::CancelWakeupTimer() { timer_.Cancel(); }

void CPowerControl::ForgetWakeupTimer() { timer_.Forget(); }

WakeTimerStatus CPowerControl::WakeupTimerStatus() const { return timer_.Status(); }

bool CPowerControl::SuspendSystem(SleepMode mode) {
  SleepChoice choice;
  choice.mode = mode;
  if (readings_) choice = ChooseSleepState(mode, readings_->Read());
  if (!choice.possible) {
    log_.Write("neither standby nor hibernation is available: not suspending\n");
    // Once: the readiness notice says it again whenever it is checked.
    if (!toldNoSleep_.exchange(true))
      prompt_.Show(SleepChoiceText(choice), kAppTitle, PromptButtons::kOk);
    return false;
  }
  if (choice.fellBack)
    log_.Write("%s is not available: entering %s instead\n", SleepModeName(mode),
               SleepModeName(choice.mode));
  const bool ok = power_.Suspend(choice.mode);
  if (!ok) log_.Write("SetSuspendState error\n");
  return ok;
}

void CPowerControl::ShutdownSystem() {
  switch (power_.Shutdown()) {
    case ShutdownResult::kOk:
      break;
    case ShutdownResult::kTokenFailed:
      log_.Write("OpenProcessToken error\n");
      break;
    case ShutdownResult::kPrivilegeFailed:
      log_.Write("AdjustTokenPrivileges error\n");
      break;
    case ShutdownResult::kExitFailed:
      log_.Write("ExitWindowsEx error\n");
      break;
  }
}

void CPowerControl::KeepAwake(bool on, const std::string& reason) {
  const int want = on ? 1 : 0;
  const bool again = on && resumed_;
  resumed_ = false;
  if (awake_ == want && !again && (!on || reason == awakeReason_)) return;
  awake_ = want;
  awakeReason_ = on ? reason : std::string();
  power_.KeepAwake(on, awakeReason_);
}

void CPowerControl::KeepAwakeAfterResume() { resumed_ = true; }

PowerReadings CPowerControl::Readings() const {
  return readings_ ? readings_->Read() : PowerReadings{};
}

WakeDiagnosis CPowerControl::Diagnose(SleepMode sleepMode, const WakeTestResult& lastTest) const {
  const PowerReadings readings = Readings();
  WakeDiagnosis d = DiagnoseWake(readings, timer_.Status(), sleepMode, lastTest);
  std::string unchecked;
  for (const ReadinessFinding& f : d.findings)
    if (!f.unchecked.empty())
      unchecked += (unchecked.empty() ? "" : "; ") + f.unchecked + " (" +
                   SystemCauseText(f.cause) + ")";
  if (unchecked != loggedUnchecked_) {
    loggedUnchecked_ = unchecked;
    if (!unchecked.empty()) log_.Write("wake diagnosis: not read: %s\n", unchecked.c_str());
  }
  return d;
}
