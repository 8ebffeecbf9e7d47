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

std::string NextActionText(const WakePlan& plan) {
  SystemTime t{};
  if (!plan.haveWake || !SecondsToTime(plan.wakeSeconds, &t)) return "次の予定なし";
  char text[64];
  std::snprintf(text, sizeof text, "次回起動 %02u/%02u %02u:%02u", unsigned{t.wMonth},
                unsigned{t.wDay}, unsigned{t.wHour}, unsigned{t.wMinute});
  return text;
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
