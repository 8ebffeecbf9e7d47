#include "engine/power_control.h"

#include <cstdio>

#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/power.h"
#include "platform/prompt.h"
#include "schedule/nimbra_doc.h"
#include "schedule/time_rules.h"

namespace {

void Trace(CDebugLog& log, int line) { log.Write("%s ln=%d", "TzSetWakeupTimer", line); }

std::string Format(const char* format, unsigned value) {
  char text[160];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

CPowerControl::CPowerControl(IPower& power, IPrompt& prompt, IClock& clock, CDebugLog& log,
                             std::string timerName)
    : power_(power), prompt_(prompt), clock_(clock), log_(log), timerName_(std::move(timerName)) {}

bool CPowerControl::TzSetWakeupTimer(const SystemTime& wakeTime) {
  uint32_t error = 0;
  const bool opened = power_.OpenWakeTimer(timerName_, &error);
  Trace(log_, 14);
  if (!opened) {
    Trace(log_, 27);
    const std::string text =
        error == kErrorInvalidHandle
            ? Format("ウェイクタイマーエラー ERROR_INVALID_HANDLE (error=%u)", error)
            : Format("ウェイクタイマーエラー(error=%u)", error);
    Trace(log_, 33);
    prompt_.Show(text, kAppTitle, PromptButtons::Ok);
    return false;
  }
  Trace(log_, 17);
  if (error == kErrorAlreadyExists) {
    // Another arming (of this or another program) is in force; it stays, and
    // the next cancel cancels it.
    prompt_.Show("すでにウェイクタイマーが動作中です", kAppTitle, PromptButtons::Ok);
    return false;
  }
  Trace(log_, 37);
  int64_t wake = TimeToSeconds(wakeTime);
  if (wake < 0) wake = 0;  // not representable: due at once, like any past time
  Trace(log_, 45);
  uint32_t armError = 0;
  const bool armed = power_.ArmWakeTimer(wake, &armError);
  if (!armed || armError == kErrorNotSupported || armError == kErrorTimerResumeIgnored) {
    // Without a timer that resumes the machine the PC must not be put to sleep.
    power_.CancelWakeTimer();
    prompt_.Show(Format("ウェイクタイマーエラー(error=%u)", armError), kAppTitle,
                 PromptButtons::Ok);
    return false;
  }
  return true;
}

void CPowerControl::CancelWakeupTimer() { power_.CancelWakeTimer(); }

bool CPowerControl::SuspendSystem(int mode) {
  const bool ok = power_.Suspend(mode);
  if (!ok) log_.Write("SetSuspendState error\n");
  return ok;
}

void CPowerControl::ShutdownSystem() {
  switch (power_.Shutdown()) {
    case ShutdownResult::Ok:
      break;
    case ShutdownResult::TokenFailed:
      log_.Write("OpenProcessToken error\n");
      break;
    case ShutdownResult::PrivilegeFailed:
      log_.Write("AdjustTokenPrivileges error\n");
      break;
    case ShutdownResult::ExitFailed:
      log_.Write("ExitWindowsEx error\n");
      break;
  }
}

void CPowerControl::KeepAwake(bool on) {
  const int want = on ? 1 : 0;
  if (awake_.exchange(want) == want) return;
  power_.KeepAwake(on);
}
