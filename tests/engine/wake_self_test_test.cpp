// The wake self-test: the state machine fed with power events and ticks,
// the schedules that keep it from starting, and what its texts say.
#include "engine/wake_self_test.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/profile_store.h"
#include "schedule/app_settings.h"
#include "schedule/schedule_table.h"
#include "schedule/settings_file.h"
#include "schedule/time_rules.h"

namespace {

bool Has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// 2030-05-10 20:00:00 local, the test's start.
int64_t T0() { return TimeToSeconds(MakeSystemTime(2030, 5, 10, 20, 0, 0)); }

enum class Ev { kSleep, kAuto, kUser, kCancel, kTick };
struct Step {
  Ev ev;
  int64_t at;  // seconds after the start
};

// Runs steps; the number of ticks that said the result became complete.
int Feed(CWakeSelfTest& test, const std::vector<Step>& steps) {
  int told = 0;
  test.Start(T0(), T0() + kWakeTestAheadSeconds, SleepMode::kStandby, false);
  for (const Step& s : steps) {
    const int64_t now = T0() + s.at;
    switch (s.ev) {
      case Ev::kSleep: test.Sleeping(now); break;
      case Ev::kAuto: test.Resumed(now, true); break;
      case Ev::kUser: test.Resumed(now, false); break;
      case Ev::kCancel: test.Cancelled(now); break;
      case Ev::kTick: told += test.Tick(now) ? 1 : 0; break;
    }
  }
  return told;
}

TEST(WakeSelfTest, EventsGiveTheOutcome) {
  struct Case {
    const char* what;
    std::vector<Step> steps;
    WakeTestOutcome outcome;
    WakeTestStay stay;
    int64_t late, run;  // -999: not measured
    bool done;
  };
  const Case cases[] = {
      {"timer wake, stays awake",
       {{Ev::kTick, 5}, {Ev::kSleep, 11}, {Ev::kAuto, 128}, {Ev::kTick, 135}, {Ev::kTick, 200},
        {Ev::kTick, 308}},
       WakeTestOutcome::kTimerWake, WakeTestStay::kStayed, 8, 15, true},
      {"watch not over yet",
       {{Ev::kSleep, 11}, {Ev::kAuto, 128}, {Ev::kTick, 135}, {Ev::kTick, 307}},
       WakeTestOutcome::kTimerWake, WakeTestStay::kUnknown, 8, 15, false},
      {"timer wake, back to sleep within the watch",
       {{Ev::kSleep, 11}, {Ev::kAuto, 121}, {Ev::kTick, 122}, {Ev::kSleep, 241}, {Ev::kTick, 900}},
       WakeTestOutcome::kTimerWake, WakeTestStay::kSleptAgain, 1, 2, true},
      {"the user follows at once: the user woke it",
       {{Ev::kSleep, 11}, {Ev::kAuto, 120}, {Ev::kUser, 125}, {Ev::kTick, 126}, {Ev::kTick, 300}},
       WakeTestOutcome::kUserWake, WakeTestStay::kUserPresent, 0, 6, true},
      {"the user comes later: the timer woke it",
       {{Ev::kSleep, 11}, {Ev::kAuto, 120}, {Ev::kTick, 121}, {Ev::kUser, 200}, {Ev::kTick, 300}},
       WakeTestOutcome::kTimerWake, WakeTestStay::kUserPresent, 0, 1, true},
      {"woken long before the timer",
       {{Ev::kSleep, 11}, {Ev::kAuto, 60}, {Ev::kTick, 61}, {Ev::kTick, 240}},
       WakeTestOutcome::kEarlyWake, WakeTestStay::kStayed, -60, -59, true},
      {"a user resume alone",
       {{Ev::kSleep, 11}, {Ev::kUser, 121}, {Ev::kTick, 122}, {Ev::kTick, 301}},
       WakeTestOutcome::kUserWake, WakeTestStay::kUserPresent, 1, 2, true},
      {"no sleep came",
       {{Ev::kTick, 11}, {Ev::kTick, 179}, {Ev::kTick, 180}},
       WakeTestOutcome::kNoSleep, WakeTestStay::kUnknown, -999, -999, true},
      {"slept, no resume heard",
       {{Ev::kSleep, 11}, {Ev::kTick, 719}, {Ev::kTick, 720}},
       WakeTestOutcome::kNoResume, WakeTestStay::kUnknown, -999, -999, true},
      {"countdown stopped", {{Ev::kCancel, 4}, {Ev::kTick, 5}, {Ev::kSleep, 6}},
       WakeTestOutcome::kCancelled, WakeTestStay::kUnknown, -999, -999, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CWakeSelfTest test;
    const int told = Feed(test, c.steps);
    const WakeTestResult& r = test.Result();
    EXPECT_EQ(test.GetPhase() == CWakeSelfTest::Phase::kDone, c.done);
    EXPECT_EQ(told, c.done ? 1 : 0);
    if (c.done) {
      EXPECT_EQ(r.outcome, c.outcome);
    }
    EXPECT_EQ(r.stay, c.stay);
    if (c.late != -999) {
      EXPECT_EQ(r.LateSeconds(), c.late);
    }
    if (c.run != -999) {
      EXPECT_EQ(r.RunSeconds(), c.run);
    }
    if (c.late == -999) {
      EXPECT_EQ(r.resumedAt, -1);
    }
    EXPECT_EQ(r.at, T0());
    EXPECT_EQ(r.wakeAt, T0() + kWakeTestAheadSeconds);
  }
}

TEST(WakeSelfTest, WantsTheTimerUntilTheResumeAndTheAwakeThroughTheWatch) {
  CWakeSelfTest test;
  EXPECT_FALSE(test.Running());
  test.Start(T0(), T0() + 120, SleepMode::kHibernate, false);
  EXPECT_TRUE(test.WantsTimer());
  test.Sleeping(T0() + 11);
  EXPECT_TRUE(test.WantsTimer());
  EXPECT_FALSE(test.WantsAwake());
  test.Resumed(T0() + 125, true);
  EXPECT_FALSE(test.WantsTimer());
  EXPECT_TRUE(test.WantsAwake());
  EXPECT_TRUE(test.Tick(T0() + 125 + kWakeTestWatchSeconds));
  EXPECT_FALSE(test.Running());
  EXPECT_FALSE(test.WantsAwake());
  EXPECT_EQ(test.Result().mode, SleepMode::kHibernate);
}

class WakeTestRefusalTest : public ::testing::Test {
 protected:
  void SetUp() override { table.AllocScheduleTable(10); }
  void Add(int64_t start, int64_t end, int state = kStateWaiting) {
    SystemTime s{}, e{};
    SecondsToTime(start, &s);
    SecondsToTime(end, &e);
    ScheduleEntry* entry = table.InsertSchedule(0, s, e, "news");
    ASSERT_NE(entry, nullptr);
    entry->state = state;
  }
  void Clear() {
    while (table.GetScheduleCount() > 0) table.DeleteSchedule(0);
  }
  ScheduleTable table;
};

TEST_F(WakeTestRefusalTest, ASchedulesWindowOrItsLeadWithinTenMinutesRefuses) {
  struct Case {
    const char* what;
    int64_t start, end;  // after now
    int state;
    int lead;
    const char* says;  // "" when the test may start
  };
  const Case cases[] = {
      {"inside a window", -60, 600, kStateRunning, 60, "予約の時間中"},
      {"a start within reach", 590, 1200, kStateWaiting, 0, "が近いため"},
      {"the lead reaches in", 620, 1200, kStateWaiting, 60, "が近いため"},
      {"an end within reach", -3600, 30, kStateRunning, 0, "予約の時間中"},
      {"far ahead", 601, 1200, kStateWaiting, 0, ""},
      {"finished", -60, 600, kStateFinished, 0, ""},
      {"long past", -7200, -3600, kStateWaiting, 0, ""},
  };
  const SleepChoice canSleep;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Clear();
    Add(T0() + c.start, T0() + c.end, c.state);
    const std::string refusal = WakeTestRefusal(table, T0(), c.lead, canSleep);
    if (*c.says == 0)
      EXPECT_EQ(refusal, "");
    else
      EXPECT_TRUE(Has(refusal, c.says)) << refusal;
  }
  Clear();
  SleepChoice none;
  none.possible = false;
  EXPECT_TRUE(Has(WakeTestRefusal(table, T0(), 60, none), "スリープしません"));
}

TEST(WakeSelfTestTexts, TheQuestionNamesTheStateAndTheTime) {
  const int64_t wake = TimeToSeconds(MakeSystemTime(2030, 5, 10, 20, 2, 0));
  EXPECT_TRUE(Has(WakeTestQuestion(SleepMode::kHibernate, wake), "今すぐ休止状態に入り、ウェイクタイマーにより 20:02（約2分後）に復帰"));
  EXPECT_TRUE(Has(WakeTestQuestion(SleepMode::kStandby, wake), "今すぐスタンバイに入り"));
}

// What the box, the diagnosis and the journal say of one result: the lead
// that covers the measured resume, and the level a failure warns at.
TEST(WakeSelfTestTexts, TheLeadThatCoversTheResumeAndTheLevelOfEachOutcome) {
  WakeTestResult r;
  r.at = T0();
  r.wakeAt = T0() + 120;
  r.resumedAt = T0() + 160;
  r.ranAt = T0() + 215;  // 95 s after the timer
  r.outcome = WakeTestOutcome::kTimerWake;
  r.stay = WakeTestStay::kStayed;

  std::string box = WakeTestReport(r, 60);
  EXPECT_TRUE(Has(box, "○ タイマーで復帰しました（ウェイクタイマーの時刻 20:02:00、復帰 20:02:40、タイマーの時刻から40秒後）"))
      << box;
  EXPECT_TRUE(Has(box, "タイマーの時刻から95秒後です"));
  EXPECT_TRUE(Has(box, "○ 復帰後3分間、起動したままでした"));
  EXPECT_TRUE(Has(box, "「ウェイクタイマーを開始の120秒前にする」を選んでください"));
  EXPECT_EQ(JudgeWakeTest(r, 60).level, FindingLevel::kWarning);
  EXPECT_EQ(JudgeWakeTest(r, 120).level, FindingLevel::kOk);
  EXPECT_TRUE(Has(WakeTestReport(r, 120), "開始の120秒前にする今の設定で間に合います"));

  r.stay = WakeTestStay::kSleptAgain;
  EXPECT_EQ(JudgeWakeTest(r, 120).level, FindingLevel::kWarning);
  EXPECT_TRUE(Has(WakeTestReport(r, 120), "再びスリープしました"));

  struct Case {
    WakeTestOutcome outcome;
    FindingLevel level;
    const char* word;
  };
  const Case cases[] = {
      {WakeTestOutcome::kUserWake, FindingLevel::kWarning, "ユーザー操作で復帰"},
      {WakeTestOutcome::kEarlyWake, FindingLevel::kWarning, "タイマー前に復帰"},
      {WakeTestOutcome::kNoSleep, FindingLevel::kWarning, "スリープせず"},
      {WakeTestOutcome::kNoResume, FindingLevel::kWarning, "復帰を確認できず"},
      {WakeTestOutcome::kCancelled, FindingLevel::kNote, "中止"},
      {WakeTestOutcome::kNone, FindingLevel::kNote, "未実施"},
  };
  for (const Case& c : cases) {
    r.outcome = c.outcome;
    SCOPED_TRACE(c.word);
    const ReadinessFinding f = JudgeWakeTest(r, 300);
    EXPECT_EQ(f.level, c.level);
    EXPECT_TRUE(Has(f.text, c.word)) << f.text;
    EXPECT_FALSE(Has(WakeTestReport(r, 300), "間に合います"));
  }

  r.outcome = WakeTestOutcome::kTimerWake;
  r.simulated = true;
  EXPECT_TRUE(Has(WakeTestReport(r, 300), "ドライラン: 実際にはスリープしていません"));
}

}  // namespace

namespace {

// The settings file keeps a real test's result whole, and a file with
// numbers this version does not know shows no result rather than a wrong one.
TEST(WakeSelfTestRecord, TheSettingsFileKeepsTheResultAndTakesUnknownNumbersForNone) {
  WakeTestResult r;
  r.at = T0();
  r.mode = SleepMode::kHibernate;
  r.outcome = WakeTestOutcome::kTimerWake;
  r.wakeAt = T0() + 120;
  r.resumedAt = T0() + 130;
  r.ranAt = T0() + 140;
  r.stay = WakeTestStay::kSleptAgain;

  CAppMngInfo info;
  ProfileStore untested;
  SaveAppSettings(untested, info);
  info.WakeTest() = WakeTestToRecord(r);
  ProfileStore store;
  SaveAppSettings(store, info);
  EXPECT_LT(untested.Serialize().size(), store.Serialize().size());
  CAppMngInfo loaded;
  LoadAppSettings(store, loaded);
  EXPECT_EQ(WakeTestFromRecord(loaded.WakeTest()), r);

  r.resumedAt = r.ranAt = -1;  // none survives as none
  EXPECT_EQ(WakeTestFromRecord(WakeTestToRecord(r)), r);

  WakeTestRecord odd = WakeTestToRecord(r);
  odd.wake_test_result = 7;
  EXPECT_EQ(WakeTestFromRecord(odd).outcome, WakeTestOutcome::kNone);
  odd = WakeTestToRecord(r);
  odd.wake_test_stay = -2;
  EXPECT_EQ(WakeTestFromRecord(odd).stay, WakeTestStay::kUnknown);
  EXPECT_EQ(WakeTestFromRecord(WakeTestRecord{}).outcome, WakeTestOutcome::kNone);
}

}  // namespace
