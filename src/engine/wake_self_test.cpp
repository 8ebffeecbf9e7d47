#include "engine/wake_self_test.h"

#include <cstdint>
#include <cstdio>

#include "platform/text.h"
#include "schedule/app_settings.h"
#include "schedule/schedule_table.h"
#include "schedule/time_rules.h"

namespace {

const char* ModeName(SleepMode mode) {
  return mode == SleepMode::kHibernate ? "休止状態" : "スタンバイ";
}

// "12/08 18:32" or "18:32:05" for local seconds.
std::string Stamp(int64_t seconds, bool withDate, bool withSeconds) {
  SystemTime t{};
  if (!SecondsToTime(seconds, &t)) return "?";
  char text[40];
  if (withDate)
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute);
  else if (withSeconds)
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.wHour, t.wMinute, t.wSecond);
  else
    std::snprintf(text, sizeof text, "%02d:%02d", t.wHour, t.wMinute);
  return text;
}

std::string Seconds(int64_t s) { return std::to_string(s) + "秒"; }

// What the resume's time says against the timer's.
std::string Lateness(int64_t late) {
  if (late < 0) return "タイマーの時刻の" + Seconds(-late) + "前";
  return "タイマーの時刻から" + Seconds(late) + "後";
}

bool LeadTooShort(const WakeTestResult& r, int leadSeconds) {
  return r.ranAt >= 0 && r.RunSeconds() > leadSeconds;
}

}  // namespace

WakeTestRecord WakeTestToRecord(const WakeTestResult& r) {
  // Calendar seconds as the file keeps every time; "none" is 0 there.
  const auto stored = [](int64_t t) { return t > 0 && t <= INT32_MAX ? static_cast<int32_t>(t) : 0; };
  WakeTestRecord w;
  w.wake_test_time = stored(r.at);
  w.wake_test_mode = r.mode;
  w.wake_test_result = static_cast<int32_t>(r.outcome);
  w.wake_test_wake = stored(r.wakeAt);
  w.wake_test_resumed = stored(r.resumedAt);
  w.wake_test_ran = stored(r.ranAt);
  w.wake_test_stay = static_cast<int32_t>(r.stay);
  return w;
}

WakeTestResult WakeTestFromRecord(const WakeTestRecord& w) {
  WakeTestResult r;
  // A record without its time or wake says nothing that can be shown.
  if (w.wake_test_time <= 0 || w.wake_test_wake <= 0 ||
      w.wake_test_result <= static_cast<int32_t>(WakeTestOutcome::kNone) ||
      w.wake_test_result > static_cast<int32_t>(WakeTestOutcome::kCancelled))
    return r;
  r.at = w.wake_test_time;
  r.mode = w.wake_test_mode;
  r.outcome = static_cast<WakeTestOutcome>(w.wake_test_result);
  r.wakeAt = w.wake_test_wake;
  r.resumedAt = w.wake_test_resumed > 0 ? w.wake_test_resumed : -1;
  r.ranAt = w.wake_test_ran > 0 ? w.wake_test_ran : -1;
  if (w.wake_test_stay > 0 && w.wake_test_stay <= static_cast<int32_t>(WakeTestStay::kUserPresent))
    r.stay = static_cast<WakeTestStay>(w.wake_test_stay);
  return r;
}

std::string WakeTestRefusal(const ScheduleTable& table, int64_t now, int leadSeconds,
                            const SleepChoice& sleep) {
  if (!sleep.possible) return SleepChoiceText(sleep);
  const int64_t lead = leadSeconds > 0 ? leadSeconds : 0;
  for (int i = 0; i < table.GetScheduleCount(); ++i) {
    const ScheduleEntry* e = table.GetSchedule(i);
    if (e->state == kStateFinished) continue;
    const int64_t from = table.StartSeconds(i) - lead;
    const int64_t to = table.EndSeconds(i);
    if (to < now || from > now + kWakeTestReachSeconds) continue;
    const std::string title = SjisToUtf8(e->title);
    if (from <= now)
      return "「" + title + "」の予約の時間中のため、スリープ復帰テストはできません。予約が終わってから試してください。";
    return "「" + title + "」の予約（" + Stamp(table.StartSeconds(i), true, false) +
           "）が近いため、スリープ復帰テストはできません。前後" +
           std::to_string(kWakeTestReachSeconds / 60) + "分に予約のない時に試してください。";
  }
  return "";
}

std::string WakeTestQuestion(SleepMode mode, int64_t wakeAt) {
  return std::string("スリープ復帰テストを行います。\n\nこの PC は今すぐ") + ModeName(mode) +
         "に入り、ウェイクタイマーにより " + Stamp(wakeAt, false, false) +
         "（約2分後）に復帰します。PC には触れずにお待ちください。復帰後3分間、起動したままになるかも確かめます。\n\n"
         "保存していない作業があれば、先に保存してください。テストを始めますか？";
}

void CWakeSelfTest::Start(int64_t now, int64_t wakeAt, SleepMode mode, bool simulated) {
  result_ = WakeTestResult{};
  result_.at = now;
  result_.wakeAt = wakeAt;
  result_.mode = mode;
  result_.simulated = simulated;
  automaticAt_ = -1;
  finished_ = false;
  phase_ = Phase::kWaitingForSleep;
}

void CWakeSelfTest::Finish(WakeTestOutcome outcome) {
  result_.outcome = outcome;
  phase_ = Phase::kDone;
  finished_ = true;
}

void CWakeSelfTest::Sleeping(int64_t now) {
  (void)now;
  if (phase_ == Phase::kWaitingForSleep) {
    phase_ = Phase::kAsleep;
  } else if (phase_ == Phase::kWatching) {
    // Back to sleep before the watch ended (nobody kept the PC awake).
    result_.stay = WakeTestStay::kSleptAgain;
    Finish(result_.outcome);
  }
}

void CWakeSelfTest::Resumed(int64_t now, bool automatic) {
  if (phase_ == Phase::kAsleep) {
    result_.resumedAt = now;
    phase_ = Phase::kWatching;
    if (now < result_.wakeAt - kWakeTestEarlySeconds) {
      // Before the timer's time: not the timer's doing.
      result_.outcome = automatic ? WakeTestOutcome::kEarlyWake : WakeTestOutcome::kUserWake;
    } else {
      result_.outcome = automatic ? WakeTestOutcome::kTimerWake : WakeTestOutcome::kUserWake;
    }
    automaticAt_ = automatic ? now : -1;
    if (!automatic) result_.stay = WakeTestStay::kUserPresent;
    return;
  }
  if (phase_ != Phase::kWatching || automatic) return;
  // The user is at the PC: right after the automatic resume the user woke it;
  // later, the timer did and someone came to the PC meanwhile.
  if (automaticAt_ >= 0 && now - automaticAt_ <= kWakeTestUserSeconds &&
      result_.outcome == WakeTestOutcome::kTimerWake)
    result_.outcome = WakeTestOutcome::kUserWake;
  result_.stay = WakeTestStay::kUserPresent;
}

void CWakeSelfTest::Cancelled(int64_t now) {
  (void)now;
  if (phase_ == Phase::kWaitingForSleep) Finish(WakeTestOutcome::kCancelled);
}

bool CWakeSelfTest::Tick(int64_t now) {
  switch (phase_) {
    case Phase::kWaitingForSleep:
      if (now >= result_.wakeAt + kWakeTestNoSleepSeconds) Finish(WakeTestOutcome::kNoSleep);
      break;
    case Phase::kAsleep:
      if (now >= result_.wakeAt + kWakeTestNoResumeSeconds) Finish(WakeTestOutcome::kNoResume);
      break;
    case Phase::kWatching:
      if (result_.ranAt < 0) result_.ranAt = now;
      if (now - result_.resumedAt >= kWakeTestWatchSeconds) {
        if (result_.stay == WakeTestStay::kUnknown) result_.stay = WakeTestStay::kStayed;
        Finish(result_.outcome);
      }
      break;
    case Phase::kIdle:
    case Phase::kDone:
      break;
  }
  const bool told = finished_;
  finished_ = false;
  return told;
}

std::string WakeTestOutcomeWord(const WakeTestResult& r) {
  switch (r.outcome) {
    case WakeTestOutcome::kTimerWake:
      return r.stay == WakeTestStay::kSleptAgain ? "タイマーで復帰、その後スリープ" : "タイマーで復帰";
    case WakeTestOutcome::kUserWake:
      return "ユーザー操作で復帰";
    case WakeTestOutcome::kEarlyWake:
      return "タイマー前に復帰";
    case WakeTestOutcome::kNoSleep:
      return "スリープせず";
    case WakeTestOutcome::kNoResume:
      return "復帰を確認できず";
    case WakeTestOutcome::kCancelled:
      return "中止";
    case WakeTestOutcome::kNone:
      break;
  }
  return "未実施";
}

std::string WakeTestReport(const WakeTestResult& r, int leadSeconds) {
  std::string text = "スリープ復帰テストの結果（" + Stamp(r.at, true, false) + "、" +
                     ModeName(r.mode) + (r.simulated ? "、ドライラン: 実際にはスリープしていません" : "") +
                     "）\n";
  const std::string armed = "ウェイクタイマーの時刻 " + Stamp(r.wakeAt, false, true);
  switch (r.outcome) {
    case WakeTestOutcome::kNone:
      return "スリープ復帰テストはまだ行われていません。";
    case WakeTestOutcome::kCancelled:
      return text + "× テストは中止されました。PC はスリープしていません。";
    case WakeTestOutcome::kNoSleep:
      return text + "× PC がスリープに入りませんでした（" + armed +
             "）。ほかのプログラムがスリープを妨げていないか、「powercfg /requests」で確かめてください。";
    case WakeTestOutcome::kNoResume:
      return text + "× スリープに入りましたが、復帰の通知を受け取れませんでした（" + armed + "）。";
    case WakeTestOutcome::kTimerWake:
      text += "○ タイマーで復帰しました（" + armed + "、復帰 " + Stamp(r.resumedAt, false, true) +
              "、" + Lateness(r.LateSeconds()) + "）\n";
      break;
    case WakeTestOutcome::kUserWake:
      text += "× ユーザーの操作で復帰しました（" + armed + "、復帰 " + Stamp(r.resumedAt, false, true) +
              "）。タイマーによる復帰は確かめられませんでした。PC に触れずにもう一度試してください。\n";
      break;
    case WakeTestOutcome::kEarlyWake:
      text += "× タイマーより前に、ほかの原因で復帰しました（" + armed + "、復帰 " +
              Stamp(r.resumedAt, false, true) +
              "）。タイマーによる復帰は確かめられませんでした。「powercfg /lastwake」で原因を確かめてください。\n";
      break;
  }
  if (r.ranAt >= 0)
    text += "・ Nimbra が再び動き出したのは" + Lateness(r.RunSeconds()) + "です\n";
  switch (r.stay) {
    case WakeTestStay::kStayed:
      text += "○ 復帰後" + std::to_string(kWakeTestWatchSeconds / 60) + "分間、起動したままでした\n";
      break;
    case WakeTestStay::kSleptAgain:
      text += "× 復帰後" + std::to_string(kWakeTestWatchSeconds / 60) +
              "分以内に再びスリープしました。録画中も PC が眠るおそれがあります\n";
      break;
    case WakeTestStay::kUserPresent:
      text += "・ 復帰後に PC が操作されたため、起動の維持は確かめていません\n";
      break;
    case WakeTestStay::kUnknown:
      break;
  }
  if (r.outcome == WakeTestOutcome::kTimerWake && r.ranAt >= 0) {
    const int lead = SuggestedWakeLead(r.RunSeconds());
    if (!LeadTooShort(r, leadSeconds))
      text += "○ ウェイクタイマーを開始の" + std::to_string(leadSeconds) + "秒前にする今の設定で間に合います";
    else
      text += "△ 予約の開始に間に合わせるには、ユーザ設定で「ウェイクタイマーを開始の" +
              std::to_string(lead) + "秒前にする」を選んでください";
  }
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

ReadinessFinding JudgeWakeTest(const WakeTestResult& r, int leadSeconds) {
  if (r.outcome == WakeTestOutcome::kNone)
    return {FindingLevel::kNote,
            "スリープ復帰テスト: 未実施（この画面の「スリープ復帰テスト」で、この PC が実際にタイマーで復帰するかを試せます）"};
  std::string text = "スリープ復帰テスト（" + Stamp(r.at, true, false) + "、" + ModeName(r.mode) +
                     (r.simulated ? "、ドライラン" : "") + "）: " + WakeTestOutcomeWord(r);
  FindingLevel level = FindingLevel::kOk;
  if (!r.Passed()) {
    level = r.outcome == WakeTestOutcome::kCancelled ? FindingLevel::kNote : FindingLevel::kWarning;
  } else {
    if (r.ranAt >= 0) text += "、" + Lateness(r.RunSeconds()) + "に動作再開";
    if (r.stay == WakeTestStay::kSleptAgain) level = FindingLevel::kWarning;
    if (LeadTooShort(r, leadSeconds)) {
      text += "。ユーザ設定で「ウェイクタイマーを開始の" +
              std::to_string(SuggestedWakeLead(r.RunSeconds())) + "秒前にする」を選んでください";
      level = FindingLevel::kWarning;
    }
  }
  return {level, text};
}
