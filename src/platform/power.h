#pragma once
// The power service: the resume timer that wakes the PC for the next
// schedule, standby, hibernation and shutdown, and the request that keeps the
// PC awake while a schedule runs. The decisions (which error stops a suspend,
// what the user is told) belong to the caller; this only does the steps and
// reports why the system refused (its number goes to the debug log).
#include <cstdint>
#include <string>

#include "platform/sleep_mode.h"
#include "platform/system_cause.h"

// How far a shutdown got.
enum class ShutdownResult {
  kOk,               // the session is ending
  kTokenFailed,      // the process token could not be opened
  kPrivilegeFailed,  // the shutdown privilege could not be enabled
  kExitFailed,       // the system refused to end the session
};

class IPower {
 public:
  virtual ~IPower() = default;

  // Creates the auto-reset resume timer called name (no name when empty) and
  // holds it in place of any timer held before. A timer of that name that
  // exists already (another program's) is not taken: the handle the system
  // gave is closed again without touching its arming, nothing changes here,
  // and the result is false with *error kAlreadyExists. Returns whether a
  // timer is held now; *error is what the system said right after the call.
  virtual bool OpenWakeTimer(const std::string& name, SystemError* error) = 0;
  // Arms the held timer to fire once at wakeSeconds, an absolute time in
  // calendar seconds since 1970-01-01 00:00 UTC, and to resume the PC from
  // standby or hibernation then. A time at or before now fires at once.
  // reason (UTF-8) is what the system's list of wake timers shows for it,
  // where the system keeps one. Returns the system call's result; *error is
  // what the system said after it (a success can still carry kNotSupported
  // or kNoResume when the machine will not resume by timer).
  virtual bool ArmWakeTimer(int64_t wakeSeconds, const std::string& reason,
                            SystemError* error) = 0;
  // Cancels and closes the held timer; false when none was held.
  virtual bool CancelWakeTimer() = 0;
  virtual bool HasWakeTimer() const = 0;

  // Enables the shutdown privilege and enters mode, wake events left enabled.
  // Returns the system call's result.
  virtual bool Suspend(SleepMode mode) = 0;
  // Enables the shutdown privilege and ends the session with a forced shutdown.
  virtual ShutdownResult Shutdown() = 0;

  // While on, asks the system not to sleep for lack of input, with reason
  // (UTF-8) as what the system's list of power requests shows. A call with
  // on asks afresh even when the request stands (a sleep may have ended it),
  // and takes the new reason. The request belongs to the calling thread:
  // switch it on and off on the same one.
  virtual void KeepAwake(bool on, const std::string& reason) = 0;
};

// Calendar seconds as a FILETIME value: 100-ns units since 1601-01-01 UTC.
constexpr int64_t CalendarSecondsToFileTime(int64_t seconds) {
  return (seconds + 11644473600LL) * 10000000LL;
}
