#pragma once
// What the last wake self-test (スリープ復帰テスト) found, as a plain record:
// kept in the settings file, judged by the readiness and told by the test.
#include <cstdint>

#include "platform/sleep_mode.h"

enum class WakeTestOutcome : int32_t {
  kNone = 0,       // never run
  kTimerWake = 1,  // the timer woke the PC
  kUserWake = 2,   // the user woke the PC (the timer's wake is not proven)
  kEarlyWake = 3,  // something else woke the PC before the timer's time
  kNoSleep = 4,    // the PC did not go to sleep
  kNoResume = 5,   // the program saw the sleep but no resume
  kCancelled = 6,  // the countdown was stopped
};

// Whether the PC stayed awake after the resume.
enum class WakeTestStay : int32_t {
  kUnknown = 0,     // not judged (the test did not get that far)
  kStayed = 1,      // awake all through the watch
  kSleptAgain = 2,  // it went back to sleep within the watch
  kUserPresent = 3, // someone used the PC during the watch: not judged
};

struct WakeTestResult {
  int64_t at = 0;  // local seconds the test started; 0: never run
  SleepMode mode = SleepMode::kStandby;
  WakeTestOutcome outcome = WakeTestOutcome::kNone;
  int64_t wakeAt = 0;      // the timer's time
  int64_t resumedAt = -1;  // the resume as the system told it; -1 none
  int64_t ranAt = -1;      // the program's first tick after it; -1 none
  WakeTestStay stay = WakeTestStay::kUnknown;
  bool simulated = false;  // a dry run: nothing slept

  bool Passed() const { return outcome == WakeTestOutcome::kTimerWake; }
  // From the timer's time to the resume (negative: before it).
  int64_t LateSeconds() const { return resumedAt - wakeAt; }
  // From the timer's time to the program running again.
  int64_t RunSeconds() const { return ranAt - wakeAt; }
  bool operator==(const WakeTestResult& o) const {
    return at == o.at && mode == o.mode && outcome == o.outcome && wakeAt == o.wakeAt &&
           resumedAt == o.resumedAt && ranAt == o.ranAt && stay == o.stay &&
           simulated == o.simulated;
  }
};
