#pragma once
// What the PC should do about the schedules ahead, decided from the table,
// the time now and the user's two wake settings: when the standing wake-up
// timer is due, whether the PC is kept awake, whether an end may put the PC
// to sleep, and the short text that tells the user what comes next.
//
// Pure rules: no clock, no power service. The scheduler asks them five times
// a second and acts only on a change.
#include <array>
#include <cstdint>
#include <string>

class ScheduleTable;

// The wake leads the user page offers, shortest first.
inline constexpr std::array<int32_t, 6> kOfferedWakeLeads = {0, 30, 60, 120, 180, 300};

struct WakeSettings {
  // The timer is due this long before a start, so that a PC resuming from
  // hibernation is ready when the recording begins.
  int leadSeconds = 60;
  // An end whose following wake is closer than this puts the PC to sleep not
  // at all: sleeping for a few minutes only risks the next recording.
  int gapSeconds = 300;
};

struct WakePlan {
  bool haveWake = false;     // a schedule lies ahead
  int index = -1;            // its row in the table
  int64_t startSeconds = 0;  // its start (calendar seconds, as the table's)
  // When the timer is due: the start less the lead, or the start itself once
  // the lead has begun (a sleep then must still wake for the start).
  int64_t wakeSeconds = 0;
  // Within a schedule's window, its lead, or a gap too short to sleep in.
  bool keepAwake = false;
};

// The plan at now. A schedule lies ahead when it is not finished and starts
// after now (and before the table's limit for current entries); the earliest
// such start wins. keepAwake holds from gapSeconds before a wake until the
// end of that schedule's window.
WakePlan PlanWake(const ScheduleTable& table, int64_t now, const WakeSettings& settings);

// Whether the end of a schedule at endSeconds goes without countdown and
// power action because the plan's wake follows less than gapSeconds after it.
// A wake that falls before the end (back-to-back windows with a lead) counts
// as closer than any gap.
bool StaysAwakeAfterEnd(int64_t endSeconds, const WakePlan& next, const WakeSettings& settings);

// "次回起動 12/24 20:59" for the plan's wake, or "次の予定なし".
std::string NextActionText(const WakePlan& plan);
// The status line while an end was followed by staying awake:
// "次の予定まで待機中（次回起動 12/24 20:59）".
std::string StayAwakeText(const WakePlan& plan);

// Why the PC is kept awake now.
enum class AwakeCause {
  kRunning,       // a schedule's window runs
  kAhead,         // the next schedule's lead has begun, or the gap to it is too short to sleep in
  kTimerRefused,  // no wake timer stands for the next schedule
};
// What the system's list of power requests shows while the PC is kept awake:
// the program and the schedule, "Nimbra: 「ニュース」を実行中". title: the
// entry's Shift-JIS title, nullptr when no entry is known.
std::string KeepAwakeReason(AwakeCause cause, const char* title);
// What the system's list of wake timers shows for the timer that wakes the
// PC for the schedule titled title (Shift-JIS).
std::string WakeTimerReason(const char* title);
