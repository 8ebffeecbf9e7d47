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
#include <optional>
#include <string>

#include "platform/sleep_mode.h"
#include "schedule/app_settings.h"

class ScheduleTable;

// The wake leads the user page offers, shortest first.
inline constexpr std::array<int32_t, 6> kOfferedWakeLeads = {0, 30, 60, 120, 180, 300};

struct WakeSettings {
  // The timer is due this long before a start, so that a PC resuming from
  // hibernation is ready when the recording begins.
  int leadSeconds = CUserSetParam().wakeup_lead_sec;
  // An end whose following wake is closer than this puts the PC to sleep not
  // at all: sleeping for a few minutes only risks the next recording.
  int gapSeconds = CUserSetParam().stay_awake_gap_sec;
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
// The plan's wake as that line writes it ("12/24 20:59"), "" without one.
std::string NextWakeText(const WakePlan& plan);
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

// What the end of the running schedule leads to: the same decision the end
// itself takes, worked out ahead so that the status line can say it.
enum class EndStep {
  kStayAwake,  // the next wake is too close to sleep: the PC stays on
  kSleep,      // standby or hibernation, woken for the next schedule if any
  kShutdown,   // nothing follows and the last action is to shut down
};
struct EndForecast {
  int64_t endSeconds = 0;
  EndStep step = EndStep::kSleep;
  SleepMode sleepMode = SleepMode::kStandby;  // kSleep: the state it enters
  WakePlan next;  // the plan from the end on (haveWake false: nothing follows)
};

// The plan from a running schedule's end on. The running entry itself lies
// behind by then; when it repeats, its next occurrence (rolledStart) is one
// of the schedules ahead.
WakePlan PlanAfterEnd(const ScheduleTable& table, int64_t endSeconds,
                      std::optional<int64_t> rolledStart, const WakeSettings& settings);
// The end's step from that plan and the end actions of the settings
// (finishAct 1 shut down after the last).
EndForecast ForecastEnd(int64_t endSeconds, const WakePlan& next, const WakeSettings& settings,
                        SleepMode sleepMode, int finishAct);
// The status line during a window: "終了 12/24 21:30 → シャットダウン",
// "終了 12/24 21:30 → 休止モード（次回起動 12/25 20:59）", "→ スタンバイ（次の予定なし）",
// "→ 待機（次回起動 12/24 21:34）".
std::string EndForecastText(const EndForecast& forecast);
