#include "engine/wake_plan.h"

#include <cstdio>
#include <cstring>

#include "platform/text.h"
#include "schedule/schedule_entry.h"
#include "schedule/schedule_table.h"
#include "schedule/time_rules.h"

WakePlan PlanWake(const ScheduleTable& table, int64_t now, const WakeSettings& settings) {
  WakePlan plan;
  const int64_t lead = settings.leadSeconds > 0 ? settings.leadSeconds : 0;
  const int64_t gap = settings.gapSeconds > 0 ? settings.gapSeconds : 0;
  const int64_t limit = table.CurrentLimitSeconds();
  const int count = table.GetScheduleCount();
  for (int i = 0; i < count; ++i) {
    if (table.GetSchedule(i)->state == kStateFinished) continue;
    const int64_t start = table.StartSeconds(i);
    // The table is in start order: once a wake is found, an entry whose
    // keep-awake stretch lies ahead changes nothing, nor do those after it.
    if (plan.haveWake && start - lead - gap > now) break;
    const int64_t end = table.EndSeconds(i);
    // A zero or unrepresentable start, or one past the limit, is never current.
    if (start <= 0 || start >= limit) continue;
    if (start - lead - gap <= now && now < end) plan.keepAwake = true;
    if (start > now && (!plan.haveWake || start < plan.startSeconds)) {
      plan.haveWake = true;
      plan.index = i;
      plan.startSeconds = start;
    }
  }
  if (plan.haveWake) {
    const int64_t wake = plan.startSeconds - lead;
    plan.wakeSeconds = wake > now ? wake : plan.startSeconds;
  }
  return plan;
}

bool StaysAwakeAfterEnd(int64_t endSeconds, const WakePlan& next, const WakeSettings& settings) {
  if (!next.haveWake) return false;
  const int64_t lead = settings.leadSeconds > 0 ? settings.leadSeconds : 0;
  const int64_t gap = settings.gapSeconds > 0 ? settings.gapSeconds : 0;
  return next.startSeconds - lead - endSeconds < gap;
}

namespace {

// "12/24 20:59"; "" for seconds that are no date.
std::string ShortDateTime(int64_t seconds) {
  SystemTime t{};
  if (!SecondsToTime(seconds, &t)) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%02u/%02u %02u:%02u", unsigned{t.wMonth}, unsigned{t.wDay},
                unsigned{t.wHour}, unsigned{t.wMinute});
  return text;
}

}  // namespace

std::string NextWakeText(const WakePlan& plan) {
  return plan.haveWake ? ShortDateTime(plan.wakeSeconds) : "";
}

std::string NextActionText(const WakePlan& plan) {
  const std::string when = NextWakeText(plan);
  return when.empty() ? "次の予定なし" : "次回起動 " + when;
}

std::string StayAwakeText(const WakePlan& plan) {
  return "次の予定まで待機中（" + NextActionText(plan) + "）";
}

namespace {

// "「title」" in UTF-8, from a title field that may lack its terminating zero.
std::string Quoted(const char* title) {
  const size_t n = title ? strnlen(title, kTitleSize) : 0;
  return "「" + SjisToUtf8(std::string_view(title ? title : "", n)) + "」";
}

}  // namespace

std::string KeepAwakeReason(AwakeCause cause, const char* title) {
  if (!title) return "Nimbra: 予約のため待機中";
  switch (cause) {
    case AwakeCause::kRunning:
      return "Nimbra: " + Quoted(title) + "を実行中";
    case AwakeCause::kAhead:
      return "Nimbra: " + Quoted(title) + "の開始を待機中";
    case AwakeCause::kTimerRefused:
      break;
  }
  return "Nimbra: ウェイクタイマーが使えないため" + Quoted(title) + "まで待機中";
}

std::string WakeTimerReason(const char* title) {
  return "Nimbra: " + Quoted(title) + "の開始に合わせて復帰";
}

WakePlan PlanAfterEnd(const ScheduleTable& table, int64_t endSeconds,
                      std::optional<int64_t> rolledStart, const WakeSettings& settings) {
  WakePlan plan = PlanWake(table, endSeconds, settings);
  if (!rolledStart || *rolledStart <= endSeconds) return plan;
  if (plan.haveWake && plan.startSeconds <= *rolledStart) return plan;
  const int64_t lead = settings.leadSeconds > 0 ? settings.leadSeconds : 0;
  plan.haveWake = true;
  plan.index = -1;  // not in the table yet
  plan.startSeconds = *rolledStart;
  plan.wakeSeconds = *rolledStart - lead > endSeconds ? *rolledStart - lead : *rolledStart;
  return plan;
}

EndForecast ForecastEnd(int64_t endSeconds, const WakePlan& next, const WakeSettings& settings,
                        SleepMode sleepMode, int finishAct) {
  EndForecast f;
  f.endSeconds = endSeconds;
  f.next = next;
  f.sleepMode = sleepMode;
  if (next.keepAwake || StaysAwakeAfterEnd(endSeconds, next, settings))
    f.step = EndStep::kStayAwake;
  else if (!next.haveWake && finishAct == 1)
    f.step = EndStep::kShutdown;
  else
    f.step = EndStep::kSleep;
  return f;
}

std::string EndForecastText(const EndForecast& f) {
  std::string text = "終了 " + ShortDateTime(f.endSeconds) + " → ";
  switch (f.step) {
    case EndStep::kShutdown:
      return text + "シャットダウン";
    case EndStep::kStayAwake:
      return text + "待機（" + NextActionText(f.next) + "）";
    case EndStep::kSleep:
      break;
  }
  return text + (f.sleepMode == SleepMode::kHibernate ? "休止モード" : "スタンバイ") + "（" +
         NextActionText(f.next) + "）";
}
