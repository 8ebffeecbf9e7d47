#pragma once
// Whether this PC will really wake for the next schedule: the power readings
// and the standing timer's state judged together, each finding with a
// Japanese text that says what to change in Windows' power options. Also the
// choice of sleep state when the one the user chose is not available.
//
// Pure rules over records; the readings come from IPowerReadings.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/wake_test_result.h"
#include "platform/power_readings.h"
#include "platform/sleep_mode.h"

// How the standing wake-up timer stands.
enum class WakeTimerState {
  kNotNeeded,  // nothing lies ahead: no timer is armed
  kAccepted,   // armed, and the system will resume the PC for it
  kRefused,    // the system would not arm it to resume the PC
};

struct WakeTimerStatus {
  WakeTimerState state = WakeTimerState::kNotNeeded;
  SystemCause cause = SystemCause::kNone;  // kRefused: why
};

enum class FindingLevel {
  kOk,        // as it should be
  kNote,      // worth knowing, changes nothing
  kWarning,   // may stop the PC from waking or recording
  kBlocking,  // will stop the PC from waking
};

struct ReadinessFinding {
  ReadinessFinding() = default;
  ReadinessFinding(FindingLevel l, std::string t) : level(l), text(std::move(t)) {}

  FindingLevel level = FindingLevel::kOk;
  std::string text;
  // A reading that failed: what could not be checked, in words, and why
  // (for the debug log only; the texts never show it).
  std::string unchecked;
  SystemCause cause = SystemCause::kNone;
};

// Where the whole diagnosis is, as the menu reads.
inline constexpr char kWakeDiagnosisMenuPath[] = "ﾍﾙﾌﾟ → スリープ復帰の起動診断";

struct WakeDiagnosis {
  // Every reading judged, in a fixed order: wake timers on mains, on
  // battery (only where there is one), the sleep state, the timer; then,
  // once a timer wake came back after its start, that wake's speed.
  std::vector<ReadinessFinding> findings;

  // Nothing will stop the PC from waking.
  bool Ready() const;
  // Something the user should look at (a warning or worse).
  bool NeedsAttention() const;
  // One short line for the status bar and the tray tip; empty when nothing
  // needs attention.
  std::string StatusText() const;
  // The warnings and blockers, one paragraph each, for a notice; empty when
  // nothing needs attention.
  std::string NoticeText() const;
  // What could not be checked, in words, joined with "、"; empty when every
  // reading was read.
  std::string UncheckedText() const;
  // The whole diagnosis, one line per finding, for the help dialog. A failed
  // reading is no pass: the verdict then names what could not be checked.
  std::string Report() const;
};

// sleepMode: the user's choice. lastTest: the
// last wake self-test, whose result in the chosen state overrides what the
// readings let one guess (Modern Standby).
WakeDiagnosis DiagnoseWake(const PowerReadings& readings, const WakeTimerStatus& timer,
                           SleepMode sleepMode, const WakeTestResult& lastTest = {});

// The slowest timer wake seen that came back after the start it was for:
// from the timer's time to the program running again, in seconds, against
// the lead now set. A warning that names the offered lead that would have
// covered it while the lead is shorter; a plain note once it is not.
ReadinessFinding JudgeSlowResume(int64_t resumeSeconds, int leadSeconds);
// The shortest offered lead of at least resumeSeconds (the longest offered
// when none is).
int SuggestedWakeLead(int64_t resumeSeconds);

// The sleep state to enter for the user's choice.
struct SleepChoice {
  SleepMode mode = SleepMode::kStandby;
  bool fellBack = false;  // the other state replaces the chosen one
  bool possible = true;   // false: the PC can neither sleep nor hibernate
};
// Unread capabilities leave the choice as it is: the system call decides.
SleepChoice ChooseSleepState(SleepMode wanted, const PowerReadings& readings);
// The one-time notice for a fallback or an impossible sleep, by the choice.
std::string SleepChoiceText(const SleepChoice& choice);
