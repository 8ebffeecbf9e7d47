#pragma once
// The standing wake-up timer: one timer kept armed for the next schedule
// ahead whatever puts the PC to sleep (the program, the user from the Start
// menu, Windows' idle timer). The scheduler says at every tick when it
// wants the PC woken; the power service is called only when that changes.
//
// A refusal is told to the user once per cause (the same error at every
// re-arm would bury the user in message boxes); a suspend that finds no
// accepted timer is told every time, as it does not happen. A refused arming
// is tried again a few seconds later and then once a minute: a refusal may
// pass (a driver that answered late), and until it does a sleep by anyone
// would not end. A timer of the configured name that another program holds
// is never touched: an unnamed timer of our own is used instead (said once
// in the debug log).
//
// Safe from the interface thread and the countdown's worker at once; no lock
// is held while a message box is open.
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "engine/wake_readiness.h"
#include "platform/system_cause.h"
#include "platform/tell_once.h"

class CDebugLog;
class IClock;
class IPower;
class IPrompt;

class CStandingTimer {
 public:
  // timerName: the timer's name from the settings ("" for an unnamed one).
  // clock: where the wake times' seconds come from (the table's, through the
  // C runtime's zone); the timer is then due at the system's UTC time now
  // plus the distance to the wake. Without one, wake seconds are taken as
  // UTC seconds themselves.
  CStandingTimer(IPower& power, IPrompt& prompt, CDebugLog& log, std::string timerName,
                 const IClock* clock = nullptr);

  // Keeps the timer due at wakeSeconds (calendar seconds), or none without.
  // Changes nothing when that is what stands already, or when it was refused
  // less than kFirstRetrySeconds (after the first refusal) or kRetrySeconds
  // (after later ones) before nowSeconds (on wakeSeconds' clock). reason is
  // what the system shows for the timer; it goes with the next arming (a
  // new reason alone does not arm again).
  void Want(std::optional<int64_t> wakeSeconds, int64_t nowSeconds, const std::string& reason = {});
  // Before a suspend: true when a timer that resumes the PC at wakeSeconds
  // stands, armed now if it did not. False after the user was told why not.
  [[nodiscard]] bool Ensure(int64_t wakeSeconds);
  // Cancels and closes the timer.
  void Cancel();
  // A fired timer is spent, and a resume may follow any sleep: the next Want
  // arms again even for the same time.
  void Forget();

  WakeTimerStatus Status() const;
  static constexpr int64_t kFirstRetrySeconds = 5;
  static constexpr int64_t kRetrySeconds = 60;
  // The wake time that stands accepted, if any.
  std::optional<int64_t> ArmedAt() const;
  // The wake time last wanted, accepted or not.
  std::optional<int64_t> Wanted() const;

 private:
  // Why the timer does not stand: it could not be opened, or the system
  // refused to arm it (or armed it without the power to resume the PC).
  enum class Refusal { kOpenFailed, kArmingRefused };
  struct Cause {
    Refusal kind = Refusal::kOpenFailed;
    SystemError why{SystemCause::kOther, 0};
    bool operator==(const Cause& o) const { return kind == o.kind && why == o.why; }
  };
  // Opens when needed and arms; the cause of a refusal, or none. Lock held.
  std::optional<Cause> ArmLocked(int64_t wakeSeconds);
  static std::string Text(const Cause& cause);

  IPower& power_;
  IPrompt& prompt_;
  CDebugLog& log_;
  const IClock* clock_;
  std::string name_;  // cleared when another program holds the name

  mutable std::mutex mutex_;
  // What the last attempt asked for and how it went.
  bool tried_ = false;
  std::optional<int64_t> wanted_;
  std::string reason_;  // for the next arming
  std::optional<Cause> refused_;
  int64_t refusedAt_ = 0;  // calendar seconds of the last refusal
  int refusals_ = 0;       // in a row, since the last accepted arming
  TellOnce<Cause> told_;  // the refusal last told, until an arming succeeds
};
