#include "engine/standing_timer.h"

#include <cstdio>

#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/power.h"
#include "platform/prompt.h"
#include "schedule/nimbra_doc.h"
#include "schedule/time_rules.h"

namespace {

// The arming's numbered trace lines in the debug log.
void Trace(CDebugLog& log, int line) { log.Write("%s ln=%d", "TzSetWakeupTimer", line); }

}  // namespace

CStandingTimer::CStandingTimer(IPower& power, IPrompt& prompt, CDebugLog& log,
                               std::string timerName, const IClock* clock)
    : power_(power), prompt_(prompt), log_(log), clock_(clock), name_(std::move(timerName)) {}

std::optional<CStandingTimer::Cause> CStandingTimer::ArmLocked(int64_t wakeSeconds) {
  if (!power_.HasWakeTimer()) {
    SystemError why;
    bool opened = power_.OpenWakeTimer(name_, &why);
    if (!opened && why.cause == SystemCause::kAlreadyExists && !name_.empty()) {
      // Another program holds a timer of this name. Its arming is not ours
      // to cancel; a timer of our own without a name wakes the PC as well.
      log_.Write("ウェイクタイマー名「%s」は他のプログラムが使用中のため、名前のないタイマーを使う\n",
                 name_.c_str());
      name_.clear();
      opened = power_.OpenWakeTimer(name_, &why);
    }
    Trace(log_, 14);
    if (!opened) {
      Trace(log_, 27);
      if (why.cause == SystemCause::kNone) why.cause = SystemCause::kOther;
      return Cause{Refusal::kOpenFailed, why};
    }
    Trace(log_, 17);
  }
  Trace(log_, 37);
  int64_t due = wakeSeconds;
  if (clock_) {
    // The table's seconds come through the C runtime's zone, which a TZ
    // variable moves away from the system's (by 9 h for TZ=UTC in Japan);
    // the distance to the wake does not depend on it, nor does the system's
    // UTC clock.
    const int64_t localNow = LocalSecondsNow(*clock_);
    if (localNow > 0) due = clock_->SecondsNow() + (wakeSeconds - localNow);
  }
  if (due < 0) due = 0;  // not representable: due at once, like any past time
  Trace(log_, 45);
  SystemError why;
  const bool armed = power_.ArmWakeTimer(due, reason_, &why);
  if (!armed || why.cause == SystemCause::kNotSupported || why.cause == SystemCause::kNoResume) {
    // A timer that cannot resume the machine is no way back from a sleep.
    power_.CancelWakeTimer();
    if (why.cause == SystemCause::kNone) why.cause = SystemCause::kOther;
    return Cause{Refusal::kArmingRefused, why};
  }
  return std::nullopt;
}

std::string CStandingTimer::Text(const Cause& cause) {
  // The message quotes the system's number, as it always has.
  char text[160];
  if (cause.kind == Refusal::kOpenFailed && cause.why.cause == SystemCause::kInvalidHandle)
    std::snprintf(text, sizeof text, "ウェイクタイマーエラー ERROR_INVALID_HANDLE (error=%u)",
                  static_cast<unsigned>(cause.why.number));
  else
    std::snprintf(text, sizeof text, "ウェイクタイマーエラー(error=%u)",
                  static_cast<unsigned>(cause.why.number));
  return text;
}

void CStandingTimer::Want(std::optional<int64_t> wakeSeconds, int64_t nowSeconds,
                          const std::string& reason) {
  std::optional<Cause> tell;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (reason != reason_) reason_ = reason;
    // A clock set back counts as time passed: the retry is not put off by it.
    const int64_t wait = refusals_ > 1 ? kRetrySeconds : kFirstRetrySeconds;
    const bool retryDue =
        refused_ && (nowSeconds - refusedAt_ >= wait || nowSeconds < refusedAt_);
    if (tried_ && wanted_ == wakeSeconds && !retryDue) return;
    tried_ = true;
    wanted_ = wakeSeconds;
    if (!wakeSeconds) {
      if (power_.HasWakeTimer()) power_.CancelWakeTimer();
      refused_.reset();
      refusals_ = 0;
      return;
    }
    refused_ = ArmLocked(*wakeSeconds);
    refusedAt_ = nowSeconds;
    refusals_ = refused_ ? refusals_ + 1 : 0;
    if (!refused_)
      told_.Worked();
    else if (told_.Failed(*refused_))
      tell = refused_;
  }
  if (tell) prompt_.Show(Text(*tell), kAppTitle, PromptButtons::kOk);
}

bool CStandingTimer::Ensure(int64_t wakeSeconds) {
  Cause tell;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (tried_ && wanted_ == wakeSeconds && !refused_ && power_.HasWakeTimer()) return true;
    tried_ = true;
    wanted_ = wakeSeconds;
    refused_ = ArmLocked(wakeSeconds);
    if (!refused_) {
      told_.Worked();
      refusals_ = 0;
      return true;
    }
    tell = *refused_;
    told_.Told(*refused_);
  }
  prompt_.Show(Text(tell), kAppTitle, PromptButtons::kOk);
  return false;
}

void CStandingTimer::Cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (power_.HasWakeTimer()) power_.CancelWakeTimer();
  tried_ = true;
  wanted_.reset();
  refused_.reset();
  refusals_ = 0;
}

void CStandingTimer::Forget() {
  std::lock_guard<std::mutex> lock(mutex_);
  tried_ = false;
}

WakeTimerStatus CStandingTimer::Status() const {
  std::lock_guard<std::mutex> lock(mutex_);
  WakeTimerStatus s;
  if (!wanted_) return s;
  if (refused_) {
    s.state = WakeTimerState::kRefused;
    s.cause = refused_->why.cause;
  } else {
    s.state = WakeTimerState::kAccepted;
  }
  return s;
}

std::optional<int64_t> CStandingTimer::ArmedAt() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!wanted_ || refused_) return std::nullopt;
  return wanted_;
}

std::optional<int64_t> CStandingTimer::Wanted() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return wanted_;
}
