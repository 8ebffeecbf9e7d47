// The scheduler walked second by second with a fake clock: the running
// state, the end processing, roll-over, the wake target, the end countdown's
// set-up, the manual suspend command and the catch-up of a missed end.
#include "engine/scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <filesystem>
#include <memory>

#include "engine/engine_fakes.h"
#include "engine/journal_recorder.h"
#include "engine/journal_verdict.h"
#include "engine/notice_board.h"
#include "engine/power_control.h"
#include "platform/profile_store.h"
#include "platform/recording_power.h"
#include "platform/text.h"
#include "schedule/nimbra_doc.h"
#include "support/blocking_prompt.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"
#include "support/scripted_view.h"

namespace {

// Days of May 2030: the 10th is a Friday. Day of week filled in, as the
// table holds it.
SystemTime At(int day, int hour, int minute, int second = 0) {
  SystemTime t{};
  SecondsToTime(TimeToSeconds(MakeSystemTime(2030, 5, day, hour, minute, second)), &t);
  return t;
}

constexpr int kDaily = 127;
constexpr int kFriday = 1 << 5;
constexpr int kWeekdays = 62;  // "毎週（月～金）"

class SchedulerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clock.SetLocal(At(10, 20, 0));
    doc = std::make_unique<CNimbraDoc>(clock, prompt, debugLog, dir.File("Nimbra.ini"));
    doc->LoadSettings();
    User().sleep_flag = SleepMode::kStandby;
    User().finish_act = 1;
    // No wake lead and no staying awake: the wake is due at the start, and
    // every end sleeps. Their own tests set them.
    User().wakeup_lead_sec = 0;
    User().stay_awake_gap_sec = 0;
    control =
        std::make_unique<CPowerControl>(power, prompt, clock, debugLog, "tz_wakeup_timer");
    sched = std::make_unique<CScheduler>(*doc, view, plugin, *control, windows, Services());
    sched->SetCountdownStepWait(NoWait);
  }
  void TearDown() override {
    WaitCountdown();
    sched.reset();
    doc.reset();
  }

  CUserSetParam& User() { return doc->AppInfo().GetUserSetting(); }
  CoreServices Services() { return CoreServices{clock, prompt, debugLog}; }
  ScheduleTable& Table() { return doc->Table(); }
  ScheduleEntry& E(int i) { return *Table().GetSchedule(i); }

  int Add(const SystemTime& s, const SystemTime& e, int weekdays = 0) {
    ScheduleEntry entry{};
    entry.s = s;
    entry.e = e;
    std::strcpy(entry.title, "title");
    if (weekdays) {
      entry.loop = 1;
      entry.b_way = weekdays;
    }
    return doc->AddSchedule(entry);
  }

  // Five ticks in every second up to and including t.
  void WalkTo(const SystemTime& t) {
    const int64_t target = TimeToSeconds(t);
    while (clock.SecondsNow() < target) {
      clock.Advance(1);
      for (int k = 0; k < 5; ++k) sched->Tick();
    }
  }
  void JumpTo(const SystemTime& t) {
    clock.SetLocal(t);
    sched->Tick();
  }

  // Lets the countdown started last run to its end and closes it.
  void WaitCountdown() {
    if (!sched || !sched->Countdown() || !windows.last) return;
    if (sched->Countdown()->Worker()) {
      windows.last->WaitEnd();
      sched->Countdown()->Finish();
    }
  }

  ScratchDir dir;
  FakeClock clock;
  ScriptedPrompt prompt;
  CDebugLog debugLog;
  RecordingPower power;
  std::unique_ptr<CNimbraDoc> doc;
  FakeView view;
  FakePlugin plugin;
  FakeWindowFactory windows;
  std::unique_ptr<CPowerControl> control;
  std::unique_ptr<CScheduler> sched;
};

TEST_F(SchedulerTest, OneShotRunsInItsWindowAndEndsExactlyOnce) {
  Add(At(10, 21, 0), At(10, 22, 0));
  clock.SetLocal(At(10, 20, 59, 55));

  WalkTo(At(10, 20, 59, 59));
  EXPECT_EQ(E(0).state, kStateWaiting);
  EXPECT_FALSE(power.KeepingAwake());
  // Standing for the start since the first tick, armed once.
  EXPECT_EQ(power.ArmedAt(), TimeToSeconds(At(10, 21, 0)));
  EXPECT_EQ(power.Calls("arm").size(), 1u);

  WalkTo(At(10, 21, 0, 0));
  EXPECT_EQ(E(0).state, kStateRunning);
  EXPECT_EQ(view.refreshes, 1);
  EXPECT_TRUE(power.KeepingAwake());
  EXPECT_FALSE(power.HasWakeTimer());  // nothing lies ahead any more

  clock.SetLocal(At(10, 21, 59, 50));
  WalkTo(At(10, 21, 59, 59));
  EXPECT_TRUE(plugin.names.empty());
  EXPECT_EQ(view.refreshes, 1);

  WalkTo(At(10, 22, 0, 0));
  ASSERT_EQ(plugin.names, std::vector<std::string>{"smail"});
  EXPECT_STREQ(plugin.entries[0].title, "title");
  EXPECT_EQ(E(0).state, kStateFinished);
  EXPECT_EQ(E(0).e, At(10, 22, 0));
  EXPECT_FALSE(power.KeepingAwake());
  ASSERT_EQ(windows.created, 1);
  EXPECT_EQ(windows.last->Caption(), "シャットダウンの準備中");
  EXPECT_EQ(power.Calls("cancel").size(), 1u);

  WalkTo(At(10, 22, 0, 5));
  EXPECT_EQ(plugin.names.size(), 1u);
  EXPECT_EQ(windows.created, 1);

  WaitCountdown();
  EXPECT_EQ(power.Calls("shutdown").size(), 1u);
  EXPECT_EQ(power.Calls("arm").size(), 1u);
}

// The C runtime's time zone and the system's can disagree (a TZ the runtime
// misreads); the schedules follow the clock the user sees.
class SkewedClock final : public IClock {
 public:
  explicit SkewedClock(const FakeClock& local) : local_(local) {}
  SystemTime LocalNow() const override { return local_.LocalNow(); }
  int64_t SecondsNow() const override { return local_.SecondsNow() - 9 * 3600; }

 private:
  const FakeClock& local_;
};

TEST_F(SchedulerTest, FollowsTheLocalClockTheUserSees) {
  SkewedClock skewed(clock);
  CNimbraDoc skewedDoc(skewed, prompt, debugLog, dir.File("Skewed.ini"));
  skewedDoc.LoadSettings();
  CScheduler s(skewedDoc, view, plugin, *control, windows, CoreServices{skewed, prompt, debugLog});
  ScheduleEntry entry{};
  entry.s = At(10, 21, 0);
  entry.e = At(10, 22, 0);
  ASSERT_GE(skewedDoc.AddSchedule(entry), 0);
  clock.SetLocal(At(10, 21, 0));
  s.Tick();
  EXPECT_EQ(skewedDoc.Table().GetSchedule(0)->state, kStateRunning);
}

TEST_F(SchedulerTest, EndWritesItsDebugLogLine) {
  ScopedDebugLog scoped(debugLog);
  Add(At(10, 21, 0), At(10, 22, 0));
  Add(At(10, 23, 0), At(10, 23, 30));
  clock.SetLocal(At(10, 21, 59, 58));
  WalkTo(At(10, 22, 0, 0));
  WaitCountdown();
  const std::string log = scoped.Text();
  EXPECT_NE(log.find("[2030/05/10 22:00:00] 終了時刻に入った！\n"), std::string::npos) << log;
  EXPECT_NE(log.find("後続スケジュール有り。復帰タイマーセット！"), std::string::npos);
  EXPECT_NE(log.find("Enter sleep or stand-by 553 22:0:0.0\n"), std::string::npos);
  EXPECT_NE(log.find("bRet=1 2030/5/10 23:0:0\n"), std::string::npos);
}

struct EndCase {
  int finishAct;
  bool follower;
  const char* caption;
  const char* action;  // "shutdown", "sleep", "wake"
  const char* status;  // during the window
};
void PrintTo(const EndCase& c, std::ostream* os) { *os << c.action; }

class EndActionTest : public SchedulerTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(EndActionTest, CountdownByFinishActAndFollower) {
  const EndCase& c = GetParam();
  User().finish_act = c.finishAct;
  User().sleep_flag = SleepMode::kHibernate;
  Add(At(10, 21, 0), At(10, 22, 0));
  if (c.follower) Add(At(11, 6, 0), At(11, 7, 0));
  JumpTo(At(10, 21, 59, 59));
  EXPECT_EQ(sched->StatusText(), c.status);  // foretells what the end does
  WalkTo(At(10, 22, 0, 0));
  ASSERT_EQ(windows.created, 1);
  EXPECT_EQ(windows.last->Caption(), c.caption);
  WaitCountdown();

  const std::string action = c.action;
  EXPECT_EQ(power.Calls("shutdown").size(), action == "shutdown" ? 1u : 0u);
  const auto suspends = power.Calls("suspend");
  ASSERT_EQ(suspends.size(), action == "shutdown" ? 0u : 1u);
  if (!suspends.empty()) {
    EXPECT_EQ(suspends[0].value, 1);  // hibernation, as set
  }
  const auto arms = power.Calls("arm");
  ASSERT_EQ(arms.size(), action == "wake" ? 1u : 0u);
  if (!arms.empty()) {
    EXPECT_EQ(arms[0].value, TimeToSeconds(At(11, 6, 0)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EndActionTest,
    ::testing::Values(EndCase{1, false, "シャットダウンの準備中", "shutdown",
                              "終了 05/10 22:00 → シャットダウン"},
                      EndCase{0, false, "サスペンドの準備中", "sleep",
                              "終了 05/10 22:00 → 休止モード（次の予定なし）"},
                      EndCase{1, true, "サスペンドの準備中", "wake",
                              "終了 05/10 22:00 → 休止モード（次回起動 05/11 06:00）"},
                      EndCase{0, true, "サスペンドの準備中", "wake",
                              "終了 05/10 22:00 → 休止モード（次回起動 05/11 06:00）"}),
    [](const ::testing::TestParamInfo<EndCase>& info) {
      return std::string("finish_act") + std::to_string(info.param.finishAct) +
             (info.param.follower ? "_follower" : "_last");
    });

// The last entry of the table repeats: its end sleeps until its next
// occurrence, which the status line says during the window.
TEST_F(SchedulerTest, TheLastEntryRepeatingItsEndWakesForItsNextOccurrence) {
  Add(At(10, 21, 0), At(10, 22, 0), kDaily);
  JumpTo(At(10, 21, 30));
  EXPECT_EQ(sched->StatusText(), "終了 05/10 22:00 → スタンバイ（次回起動 05/11 21:00）");
  WalkTo(At(10, 22, 0));
  EXPECT_EQ(windows.last->Caption(), "サスペンドの準備中");
  EXPECT_EQ(sched->StatusText(), "次回起動 05/11 21:00");
}

TEST_F(SchedulerTest, DailyEntryRollsOnToItsSortedPlaceAndIsSaved) {
  Add(At(10, 21, 0), At(10, 22, 0), kDaily);
  Add(At(11, 8, 0), At(11, 9, 0));
  clock.SetLocal(At(10, 21, 59, 59));
  WalkTo(At(10, 22, 0, 0));

  ASSERT_EQ(Table().GetScheduleCount(), 2);
  EXPECT_EQ(E(0).s, At(11, 8, 0));
  EXPECT_EQ(E(1).s, At(11, 21, 0));
  EXPECT_EQ(E(1).e, At(11, 22, 0));
  EXPECT_EQ(E(1).state, kStateWaiting);
  EXPECT_EQ(E(1).loop, 1);
  EXPECT_EQ(windows.last->Caption(), "サスペンドの準備中");

  // On disk before any power action can run.
  const ProfileStore stored = ProfileStore::Load(dir.File("Nimbra.ini"));
  EXPECT_EQ(stored.GetInt(kScheduleSection, "sch_num", 0), 2);
  EXPECT_EQ(stored.GetInt(kScheduleSection, "sch_start[1]", 0), TimeToSeconds(At(11, 21, 0)));

  WaitCountdown();
  const auto arms = power.Calls("arm");
  ASSERT_EQ(arms.size(), 1u);
  EXPECT_EQ(arms[0].value, TimeToSeconds(At(11, 8, 0)));  // the nearest follower
}

TEST_F(SchedulerTest, RepeatingEntryRollsToItsNextDayAndWakesForIt) {
  const struct {
    int weekdays;
    int nextDay;
  } cases[] = {{kDaily, 11}, {kFriday, 17}, {kWeekdays, 13}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.weekdays);
    WaitCountdown();
    while (Table().GetScheduleCount() > 0) Table().DeleteSchedule(0);
    power.Clear();
    clock.SetLocal(At(10, 6, 59, 58));
    Add(At(10, 6, 0), At(10, 7, 0), c.weekdays);
    WalkTo(At(10, 7, 0, 0));
    ASSERT_EQ(Table().GetScheduleCount(), 1);
    EXPECT_EQ(E(0).s, At(c.nextDay, 6, 0));
    EXPECT_EQ(E(0).state, kStateWaiting);
    WaitCountdown();
    const auto arms = power.Calls("arm");
    ASSERT_EQ(arms.size(), 1u);
    EXPECT_EQ(arms[0].value, TimeToSeconds(At(c.nextDay, 6, 0)));
  }
}

// An occurrence that clashes with an entry the user made is skipped: the
// series goes on after it, and nothing needs telling.
TEST_F(SchedulerTest, RollOverSkipsAnOccurrenceThatClashes) {
  Add(At(10, 21, 0), At(10, 22, 0), kDaily);
  Add(At(11, 21, 30), At(11, 21, 45));  // where tomorrow's occurrence would go
  clock.SetLocal(At(10, 21, 59, 59));
  WalkTo(At(10, 22, 0, 0));

  EXPECT_TRUE(prompt.Texts().empty());
  ASSERT_EQ(Table().GetScheduleCount(), 2);
  EXPECT_EQ(E(0).s, At(11, 21, 30));
  EXPECT_EQ(E(1).s, At(12, 21, 0));
  EXPECT_EQ(E(1).e, At(12, 22, 0));
  EXPECT_EQ(E(1).state, kStateWaiting);
  EXPECT_EQ(E(1).b_way, kDaily);
  WaitCountdown();
  EXPECT_EQ(power.Calls("arm").at(0).value, TimeToSeconds(At(11, 21, 30)));
}

TEST_F(SchedulerTest, MissedEndIsCaughtUp) {
  const struct {
    int lateSeconds;
    bool countdown;
  } cases[] = {{1, true}, {59, true}, {60, false}, {3 * 3600, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lateSeconds);
    WaitCountdown();
    while (Table().GetScheduleCount() > 0) Table().DeleteSchedule(0);
    const int created = windows.created;
    const size_t runs = plugin.names.size();
    Add(At(10, 21, 0), At(10, 22, 0));
    Add(At(11, 1, 0), At(11, 2, 0));
    JumpTo(At(10, 21, 30));
    ASSERT_EQ(E(0).state, kStateRunning);

    clock.SetLocal(At(10, 22, 0));
    clock.Advance(c.lateSeconds);
    sched->Tick();
    EXPECT_EQ(plugin.names.size(), runs + 1);
    EXPECT_EQ(E(0).state, kStateFinished);
    EXPECT_EQ(windows.created, created + (c.countdown ? 1 : 0));
    // Three hours late is 01:00, when the following window has begun.
    EXPECT_EQ(power.KeepingAwake(), c.lateSeconds == 3 * 3600);

    // The scheduler goes on with the following schedule.
    JumpTo(At(11, 1, 0));
    EXPECT_EQ(E(1).state, kStateRunning);
  }
}

struct JournalList : IJournalSink {
  std::vector<JournalEvent> events;
  void Record(const JournalEvent& e) override { events.push_back(e); }
};

TEST_F(SchedulerTest, JournalsTheWindowSeenItsEndAndAWindowSleptThrough) {
  JournalList sink;
  CJournalRecorder journal(sink);
  sched = std::make_unique<CScheduler>(*doc, view, plugin, *control, windows, Services(), nullptr,
                                       &journal);
  sched->SetCountdownStepWait(NoWait);
  User().finish_act = 0;
  Add(At(10, 21, 0), At(10, 22, 0));
  Add(At(11, 1, 0), At(11, 2, 0));
  clock.SetLocal(At(10, 20, 59, 58));
  WalkTo(At(10, 22, 0, 2));
  JumpTo(At(11, 3, 0));  // asleep through the second window
  const auto journalled = AssembleWindows(sink.events);
  ASSERT_EQ(journalled.size(), 2u);
  EXPECT_EQ(journalled[0].seenAt, TimeToSeconds(At(10, 21, 0)));
  EXPECT_EQ(journalled[0].timerAt, TimeToSeconds(At(10, 21, 0)));
  EXPECT_EQ(EndText(journalled[0]), "スリープへのカウントダウン");
  EXPECT_EQ(JudgeWindow(journalled[0]).kind, VerdictKind::kFullyAwake);
  EXPECT_EQ(JudgeWindow(journalled[1]).kind, VerdictKind::kMissed);
}

// The 中止 of the countdown after a window's end is journalled once, as what
// followed that end.
TEST_F(SchedulerTest, JournalsTheStopOfTheCountdownAfterAnEnd) {
  JournalList sink;
  CJournalRecorder journal(sink);
  sched = std::make_unique<CScheduler>(*doc, view, plugin, *control, windows, Services(), nullptr,
                                       &journal);
  BlockingGate firstStep;
  sched->SetCountdownStepWait([&](int) { firstStep.Wait(); });
  User().finish_act = 0;
  Add(At(10, 20, 0), At(10, 20, 10));
  JumpTo(At(10, 20, 5));
  JumpTo(At(10, 20, 10));  // the end: counting down to a suspend
  ASSERT_TRUE(sched->Countdown());
  ASSERT_TRUE(firstStep.WaitForWaiters());
  sched->Countdown()->Stop();  // the window's 中止
  firstStep.Open();
  WaitCountdown();
  sched->Tick();
  sched->Tick();

  const auto journalled = AssembleWindows(sink.events);
  ASSERT_EQ(journalled.size(), 1u);
  EXPECT_EQ(EndText(journalled[0]), "スリープへのカウントダウン（中止）");
  EXPECT_EQ(std::count_if(sink.events.begin(), sink.events.end(),
                          [](const JournalEvent& e) { return e.kind == JournalKind::kWindowEnd; }),
            2);
  EXPECT_TRUE(power.Calls("suspend").empty());
}

TEST_F(SchedulerTest, MissedEndOfARepeatingEntryRollsItOnQuietly) {
  Add(At(10, 21, 0), At(10, 22, 0), kDaily);
  JumpTo(At(10, 21, 0));
  JumpTo(At(11, 9, 0));  // slept through the night
  EXPECT_EQ(windows.created, 0);
  EXPECT_EQ(E(0).s, At(11, 21, 0));
  EXPECT_EQ(E(0).state, kStateWaiting);
  EXPECT_EQ(ProfileStore::Load(dir.File("Nimbra.ini")).GetInt(kScheduleSection, "sch_start[0]", 0),
            TimeToSeconds(At(11, 21, 0)));
}

TEST_F(SchedulerTest, SuspendNowWithAnEmptyTable) {
  sched->SuspendNow(false);
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"スケジュールが登録されていません"});
  EXPECT_EQ(prompt.shown[0].caption, kAppTitle);
  EXPECT_EQ(windows.created, 0);
}

TEST_F(SchedulerTest, SuspendNowAnsweredNoChangesNothing) {
  User().sleep_flag = SleepMode::kHibernate;
  Add(At(10, 21, 0), At(10, 22, 0));
  sched->SuspendNow(false);
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"休止モードに入りますか？"});
  EXPECT_EQ(windows.created, 0);
  EXPECT_TRUE(power.Calls().empty());
}

TEST_F(SchedulerTest, SuspendNowBeforeAWaitingEntryWakesForIt) {
  Add(At(10, 21, 0), At(10, 22, 0));
  prompt.QueueAnswer(PromptAnswer::kYes);
  sched->SuspendNow(false);
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"スタンバイに入りますか？"});
  ASSERT_EQ(windows.created, 1);
  EXPECT_EQ(windows.last->Caption(), "サスペンドの準備中");
  WaitCountdown();
  EXPECT_TRUE(power.Calls("cancel").empty());
  EXPECT_EQ(power.Calls("arm").at(0).value, TimeToSeconds(At(10, 21, 0)));
  EXPECT_EQ(power.Calls("suspend").at(0).value, 0);
}

TEST_F(SchedulerTest, SuspendNowDuringALoneRunningEntryIsCancelled) {
  User().sleep_flag = SleepMode::kHibernate;
  Add(At(10, 21, 0), At(10, 22, 0));
  JumpTo(At(10, 21, 30));
  prompt.QueueAnswer(PromptAnswer::kYes);
  prompt.QueueAnswer(PromptAnswer::kYes);
  sched->SuspendNow(false);
  EXPECT_EQ(prompt.Texts(),
            (std::vector<std::string>{"休止モードに入りますか？", "実行中ですが休止モードに入りますか？",
                                      "後に続くスケジュールがありません。\n休止モードをキャンセルします。"}));
  EXPECT_EQ(E(0).state, kStateFinished);
  EXPECT_EQ(windows.created, 0);
}

TEST_F(SchedulerTest, SuspendNowDuringARunningEntryTargetsTheNextOne) {
  Add(At(10, 21, 0), At(10, 22, 0));
  Add(At(10, 23, 0), At(10, 23, 30));
  JumpTo(At(10, 21, 30));

  prompt.QueueAnswer(PromptAnswer::kYes);
  prompt.QueueAnswer(PromptAnswer::kNo);
  sched->SuspendNow(false);
  EXPECT_EQ(E(0).state, kStateRunning);  // second question answered No
  EXPECT_EQ(windows.created, 0);

  sched->SuspendNow(true);  // from the power handling: no questions
  EXPECT_EQ(prompt.shown.size(), 2u);
  EXPECT_EQ(E(0).state, kStateFinished);
  EXPECT_EQ(E(1).state, kStateRunning);
  WaitCountdown();
  EXPECT_EQ(power.Calls("arm").at(0).value, TimeToSeconds(At(10, 23, 0)));
}

TEST_F(SchedulerTest, SuspendNowDuringARunningDailyEntryMovesItOn) {
  Add(At(10, 21, 0), At(10, 22, 0), kDaily);
  Add(At(11, 8, 0), At(11, 9, 0));
  JumpTo(At(10, 21, 30));
  sched->SuspendNow(true);
  ASSERT_EQ(Table().GetScheduleCount(), 2);
  EXPECT_EQ(E(0).s, At(11, 8, 0));
  EXPECT_EQ(E(0).state, kStateRunning);
  EXPECT_EQ(E(1).s, At(11, 21, 0));
  EXPECT_EQ(E(1).state, kStateWaiting);
  WaitCountdown();
  EXPECT_EQ(power.Calls("arm").at(0).value, TimeToSeconds(At(11, 8, 0)));
}

TEST_F(SchedulerTest, SuspendNowWithEveryEntryFinishedArmsNoTimer) {
  Add(At(10, 21, 0), At(10, 22, 0));
  JumpTo(At(10, 21, 0));
  JumpTo(At(10, 22, 0));
  WaitCountdown();
  power.Clear();
  prompt.QueueAnswer(PromptAnswer::kYes);
  sched->SuspendNow(false);
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"スタンバイに入りますか？"});
  ASSERT_EQ(windows.created, 2);
  WaitCountdown();
  EXPECT_TRUE(power.Calls("open").empty());
  EXPECT_TRUE(power.Calls("arm").empty());
  EXPECT_EQ(power.Calls("suspend").size(), 1u);
}

TEST_F(SchedulerTest, HasFollowingScheduleChangesNothing) {
  EXPECT_FALSE(sched->HasFollowingSchedule());  // empty table

  Add(At(10, 21, 0), At(10, 22, 0), kDaily);
  EXPECT_TRUE(sched->HasFollowingSchedule());  // waiting

  JumpTo(At(10, 21, 30));
  const std::vector<char> before(reinterpret_cast<const char*>(&E(0)),
                                 reinterpret_cast<const char*>(&E(0)) + sizeof(ScheduleEntry));
  EXPECT_TRUE(sched->HasFollowingSchedule());  // running, repeats
  EXPECT_EQ(std::memcmp(before.data(), &E(0), sizeof(ScheduleEntry)), 0);

  E(0).loop = 0;
  EXPECT_FALSE(sched->HasFollowingSchedule());  // running one-shot, nothing after
  Add(At(10, 23, 0), At(10, 23, 30));
  EXPECT_TRUE(sched->HasFollowingSchedule());  // running, a later one follows
  EXPECT_EQ(E(0).state, kStateRunning);
}

TEST_F(SchedulerTest, TimersAndTheImport) {
  sched->StartTimers(true);
  EXPECT_EQ(view.events, (std::vector<std::string>{"set 4567 500", "set 1234 200"}));
  view.events.clear();
  // The tick timer is left running: no system call per tick.
  EXPECT_FALSE(sched->OnTimer(CScheduler::kTickTimer));
  EXPECT_TRUE(view.events.empty());
  EXPECT_TRUE(sched->OnTimer(CScheduler::kImportTimer));
  EXPECT_EQ(view.events, (std::vector<std::string>{"kill 4567", "import"}));
  view.events.clear();
  EXPECT_TRUE(sched->OnTimer(77));
  EXPECT_TRUE(view.events.empty());
}

TEST_F(SchedulerTest, GoingAwayStopsTheCountdownAndLetsThePcSleep) {
  sched->SetCountdownStepWait(nullptr);  // a real ten-second count
  Add(At(10, 21, 0), At(10, 22, 0));
  Add(At(11, 21, 0), At(11, 22, 0));  // the standing timer is held for it
  JumpTo(At(10, 21, 0));
  EXPECT_TRUE(power.KeepingAwake());
  JumpTo(At(10, 22, 0));
  windows.last->WaitPositions(1);
  power.Clear();
  sched.reset();
  EXPECT_FALSE(power.KeepingAwake());
  EXPECT_TRUE(power.Calls("shutdown").empty());
  EXPECT_TRUE(power.Calls("suspend").empty());
  EXPECT_EQ(power.Calls("cancel").size(), 1u);
}

// While a dialog or the delete question is open the tick goes on: here it
// ends the daily entry, which rolls on behind the one-shot and re-sorts the
// table. Change and delete still act on the entry the user chose; one that
// ended meanwhile is left alone with a message.
TEST_F(SchedulerTest, ChangeAndDeleteActOnTheChosenEntryWhileTheTickReSortsTheTable) {
  const std::string notChanged = "選択したスケジュールはその間に終了したため、変更しませんでした。";
  const std::string notDeleted = "選択したスケジュールはその間に終了したため、削除しませんでした。";
  enum class Command { kChange, kDelete };
  struct Case {
    const char* chosen;
    Command command;
    std::vector<std::string> titles;  // afterwards, in table order
    std::string message;              // "" for none
  } const cases[] = {
      {"oneshot", Command::kChange, {"changed", "daily"}, ""},
      {"oneshot", Command::kDelete, {"daily"}, ""},
      {"daily", Command::kChange, {"oneshot", "daily"}, notChanged},
      {"daily", Command::kDelete, {"oneshot", "daily"}, notDeleted},
  };
  ScriptedView dialogs;
  doc->SetView(&dialogs);
  auto tickMeanwhile = [this] { JumpTo(At(10, 20, 30)); };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.chosen) + (k.command == Command::kChange ? " change" : " delete"));
    WaitCountdown();
    while (Table().GetScheduleCount() > 0) Table().DeleteSchedule(0);
    clock.SetLocal(At(10, 20, 0));
    Add(At(10, 20, 10), At(10, 20, 30), kDaily);
    Add(At(10, 21, 0), At(10, 22, 0));
    std::strcpy(E(0).title, "daily");
    std::strcpy(E(1).title, "oneshot");
    dialogs.selected = std::string(k.chosen) == "daily" ? 0 : 1;
    prompt.shown.clear();

    if (k.command == Command::kChange) {
      dialogs.OnReservation([&](ReservationValues& v) {
        tickMeanwhile();
        v.m_title = "changed";
        return true;
      });
      dialogs.OnRepeat([&](RepeatValues&) {
        tickMeanwhile();
        return true;
      });
      EXPECT_EQ(doc->OnScheduleChange(), k.message.empty());
    } else {
      prompt.QueueAnswer(PromptAnswer::kYes);
      prompt.whileAsked = tickMeanwhile;
      EXPECT_EQ(doc->OnScheduleDelete(), k.message.empty());
      prompt.whileAsked = nullptr;
    }
    dialogs = ScriptedView();

    std::vector<std::string> titles;
    for (int i = 0; i < Table().GetScheduleCount(); ++i) titles.push_back(E(i).title);
    EXPECT_EQ(titles, k.titles);
    const int daily = titles.back() == "daily" ? Table().GetScheduleCount() - 1 : -1;
    ASSERT_GE(daily, 0);
    EXPECT_EQ(E(daily).s, At(11, 20, 10));  // rolled on, untouched by the command
    std::vector<std::string> refusals;
    for (const std::string& text : prompt.Texts())
      if (text == notChanged || text == notDeleted) refusals.push_back(text);
    EXPECT_EQ(refusals, k.message.empty() ? std::vector<std::string>{}
                                          : std::vector<std::string>{k.message});
  }
  doc->SetView(nullptr);
}

// Every save (an edit, a schedule's end, a power action) goes one way: a
// failure is told once, and again only after a save has worked in between.
// Without a list view it is told through the prompt.
TEST_F(SchedulerTest, ASaveFailureIsToldOnceUntilASaveWorksAgain) {
  const std::string folder = dir.File("gone");
  const std::string path = folder + "/Nimbra.ini";
  sched.reset();
  doc = std::make_unique<CNimbraDoc>(clock, prompt, debugLog, path);
  doc->LoadSettings();
  User().finish_act = 0;
  sched = std::make_unique<CScheduler>(*doc, view, plugin, *control, windows, Services());
  sched->SetCountdownStepWait(NoWait);
  const std::string told = SettingsSaveFailedText(path);
  auto timesTold = [&] {
    const auto texts = prompt.Texts();
    return std::count(texts.begin(), texts.end(), told);
  };

  Add(At(10, 20, 10), At(10, 20, 20));
  JumpTo(At(10, 20, 20));  // the end processing saves
  WaitCountdown();
  EXPECT_EQ(timesTold(), 1);
  sched->SuspendNow(true);
  WaitCountdown();
  EXPECT_EQ(timesTold(), 1);

  std::filesystem::create_directory(folder);
  EXPECT_TRUE(doc->CommitEdit());
  std::filesystem::remove_all(folder);
  sched->SuspendNow(true);
  WaitCountdown();
  EXPECT_EQ(timesTold(), 2);
}

// What a tick has to tell (a refused wake timer, a failed save before a
// countdown) is told after it, by the interface thread, in a box that blocks
// like a real one; while it is open the ticks go on: the schedule behind it
// turns running, and the keep-awake for a refused timer is on before the box.
TEST_F(SchedulerTest, TheTickGoesOnWhileItsNoticeIsOpen) {
  for (const bool refuseTimer : {true, false}) {
    SCOPED_TRACE(refuseTimer ? "refused wake timer" : "failed save before a countdown");
    BlockingPrompt box;
    CNoticeBoard board(box);
    int posts = 0;
    board.SetPoster([&] { ++posts; });
    RecordingPower pc;
    if (refuseTimer) pc.SetArmResult(false, {SystemCause::kAccessDenied, 5});
    FakeClock c;
    c.SetLocal(refuseTimer ? At(10, 20, 0, 30) : At(10, 20, 3));
    CNimbraDoc d(c, board, debugLog,
                 refuseTimer ? dir.File("Nimbra.ini") : dir.File("gone") + "/Nimbra.ini");
    d.LoadSettings();
    CUserSetParam& user = d.AppInfo().GetUserSetting();
    user.finish_act = 0;
    user.wakeup_lead_sec = 0;
    user.stay_awake_gap_sec = 0;
    CPowerControl pw(pc, board, c, debugLog, "tz_wakeup_timer");
    FakeWindowFactory w;
    CScheduler s(d, view, plugin, pw, w, CoreServices{c, board, debugLog}, &board);
    s.SetCountdownStepWait(NoWait);
    ScheduleEntry entry{};
    std::strcpy(entry.title, "title");
    entry.s = At(10, 20, 1);
    entry.e = refuseTimer ? At(10, 20, 10) : At(10, 20, 3);
    ASSERT_GE(d.AddSchedule(entry), 0);
    if (!refuseTimer) {
      entry.s = At(10, 20, 5);  // behind the end's countdown
      entry.e = At(10, 20, 10);
      ASSERT_GE(d.AddSchedule(entry), 0);
    }
    const SystemTime awaited = entry.s;
    auto tick = [&] { s.OnTimer(CScheduler::kTickTimer); };
    auto awaitedRuns = [&] {
      for (int i = 0; i < d.Table().GetScheduleCount(); ++i)
        if (d.Table().GetSchedule(i)->s == awaited)
          return d.Table().GetSchedule(i)->state == kStateRunning;
      return false;
    };

    int pumps = 0;
    bool awakeWhenOpened = false;
    bool ranWhileOpen = false;
    box.whileOpen = [&] {  // the box's message loop: a second of ticks per round
      if (pumps++ == 0) awakeWhenOpened = pc.KeepingAwake();
      c.Advance(1);
      for (int k = 0; k < 5; ++k) tick();
      ranWhileOpen = awaitedRuns();
      return ranWhileOpen || pumps >= 600;
    };
    tick();  // decides, and leaves the telling to the board
    if (w.last) {
      w.last->WaitEnd();
      s.Countdown()->Finish();
    }
    EXPECT_EQ(posts, 1);
    board.ShowPending();  // the interface thread, after the tick
    EXPECT_EQ(box.Texts().size(), 1u);
    EXPECT_TRUE(ranWhileOpen);
    if (refuseTimer) {
      EXPECT_TRUE(awakeWhenOpened);
    }
    EXPECT_EQ(box.LeftOpen(), 0);
  }
}

// A schedule entered while the end's countdown runs, before the one it was
// to wake for: the suspend arms the earlier wake, not the countdown's own.
TEST_F(SchedulerTest, TheCountdownsSuspendWakesForAScheduleEnteredMeanwhile) {
  User().finish_act = 0;
  BlockingGate firstStep;
  sched->SetCountdownStepWait([&](int) { firstStep.Wait(); });
  Add(At(10, 20, 0), At(10, 20, 10));
  Add(At(10, 22, 0), At(10, 23, 0));
  JumpTo(At(10, 20, 10));  // the end: counting down to a suspend that wakes at 22:00
  ASSERT_TRUE(sched->Countdown());
  ASSERT_TRUE(firstStep.WaitForWaiters());
  Add(At(10, 21, 0), At(10, 21, 30));
  sched->Tick();
  firstStep.Open();
  WaitCountdown();
  ASSERT_EQ(power.Calls("suspend").size(), 1u);
  EXPECT_EQ(power.ArmedAt(), TimeToSeconds(At(10, 21, 0)));
}

// A settings file that another program changed while the program runs: the
// save at a window's end, inside the tick, leaves the file as the other
// program wrote it, keeps the table in the pending file beside it and
// queues the notice for after the tick.
TEST(SchedulerSettingsFile, ChangedByAnotherProgramItIsKeptAndTheNoticeWaitsForTheTick) {
  ScratchDir dir;
  ScriptedPrompt prompt;
  CNoticeBoard board(prompt);
  CDebugLog debugLog;
  FakeClock clock;
  clock.SetLocal(At(10, 20, 0));
  const std::string path = dir.File("Nimbra.ini");
  CNimbraDoc doc(clock, board, debugLog, path);
  doc.LoadSettings();
  CUserSetParam& user = doc.AppInfo().GetUserSetting();
  user.wakeup_lead_sec = 0;
  user.stay_awake_gap_sec = 600;  // the first end stays awake for the second
  for (const int minute : {1, 5}) {
    ScheduleEntry entry{};
    std::strcpy(entry.title, "title");
    entry.s = At(10, 20, minute);
    entry.e = At(10, 20, minute + 2);
    ASSERT_GE(doc.AddSchedule(entry), 0);
  }
  ASSERT_TRUE(doc.CommitEdit());
  const std::string theirs = "[APP_MNG_INFO]\r\ntv_id=0\r\n[TV_REC_SCHEDULE]\r\nsch_num=0\r\n";
  WriteAll(path, theirs);  // another copy deleted every entry

  RecordingPower power;
  CPowerControl control(power, board, clock, debugLog, "tz_wakeup_timer");
  FakeView view;
  FakePlugin plugin;
  FakeWindowFactory windows;
  CScheduler sched(doc, view, plugin, control, windows, CoreServices{clock, board, debugLog},
                   &board);
  sched.SetCountdownStepWait(NoWait);
  while (clock.SecondsNow() < TimeToSeconds(At(10, 20, 4))) {
    clock.Advance(1);
    for (int k = 0; k < 5; ++k) sched.OnTimer(CScheduler::kTickTimer);
  }

  EXPECT_EQ(ReadAll(path), theirs);
  const ProfileStore pending = ProfileStore::Load(doc.PendingSettingsPath());
  EXPECT_EQ(pending.GetInt("TV_REC_SCHEDULE", "sch_num", 0), 2);
  EXPECT_TRUE(prompt.shown.empty());  // nothing shown inside the tick
  EXPECT_EQ(board.PendingCount(), 1);
  board.ShowPending();
  ASSERT_EQ(prompt.Texts().size(), 1u);
  EXPECT_NE(prompt.Texts()[0].find(path), std::string::npos);
  EXPECT_NE(prompt.Texts()[0].find(doc.PendingSettingsPath()), std::string::npos);
}
}  // namespace

namespace {

// The standing timer, the wake lead and staying awake between close windows,
// with the settings' defaults (60 s lead, 300 s gap).
class WakeTest : public SchedulerTest {
 protected:
  void SetUp() override {
    SchedulerTest::SetUp();
    User().wakeup_lead_sec = 60;
    User().stay_awake_gap_sec = 300;
  }
};

TEST_F(WakeTest, OneTimerStandsForTheNextScheduleAndMovesOnlyOnAChange) {
  Add(At(10, 22, 0), At(10, 22, 30));
  sched->Tick();  // as after loading
  EXPECT_EQ(power.ArmedAt(), TimeToSeconds(At(10, 21, 59)));
  EXPECT_EQ(sched->StatusText(), "次回起動 05/10 21:59");
  EXPECT_EQ(view.statusChanges, 1);

  // Quiet ticks call nothing at all.
  const size_t calls = power.Calls().size();
  clock.Advance(30);
  for (int k = 0; k < 50; ++k) sched->Tick();
  EXPECT_EQ(power.Calls().size(), calls);
  EXPECT_EQ(view.statusChanges, 1);

  // An earlier schedule added: the same held timer is re-armed.
  Add(At(10, 21, 0), At(10, 21, 30));
  sched->Tick();
  EXPECT_EQ(power.ArmedAt(), TimeToSeconds(At(10, 20, 59)));
  EXPECT_EQ(power.Calls("open").size(), 1u);

  // After a resume the spent timer is armed again for the same time.
  power.Clear();
  sched->OnResume();
  sched->Tick();
  EXPECT_EQ(power.Calls("arm").size(), 1u);
  EXPECT_EQ(power.ArmedAt(), TimeToSeconds(At(10, 20, 59)));

  // Nothing ahead: cancelled.
  while (Table().GetScheduleCount() > 0) Table().DeleteSchedule(0);
  sched->Tick();
  EXPECT_FALSE(power.HasWakeTimer());
  EXPECT_EQ(sched->StatusText(), "次の予定なし");
  EXPECT_TRUE(prompt.Texts().empty());
}

TEST_F(WakeTest, LeadWakesEarlyKeepsAwakeAndTheEndOnlySuspends) {
  Add(At(10, 21, 0), At(10, 22, 0));
  Add(At(11, 6, 0), At(11, 7, 0));
  clock.SetLocal(At(10, 20, 53, 58));
  WalkTo(At(10, 20, 53, 59));
  EXPECT_FALSE(power.KeepingAwake());
  WalkTo(At(10, 20, 54, 0));  // lead and gap before the start
  EXPECT_TRUE(power.KeepingAwake());
  WalkTo(At(10, 20, 59, 0));  // a timer wake here: the lead has begun
  EXPECT_EQ(power.ArmedAt(), TimeToSeconds(At(10, 21, 0)));  // a sleep now still wakes for the start
  EXPECT_TRUE(power.KeepingAwake());

  clock.SetLocal(At(10, 21, 59, 59));
  sched->Tick();
  EXPECT_EQ(power.ArmedAt(), TimeToSeconds(At(11, 5, 59)));  // standing for the next one
  power.Clear();
  WalkTo(At(10, 22, 0));
  ASSERT_EQ(windows.created, 1);
  WaitCountdown();
  // The timer stood already: the end action only suspends.
  EXPECT_TRUE(power.Calls("open").empty());
  EXPECT_TRUE(power.Calls("arm").empty());
  EXPECT_EQ(power.Calls("suspend").size(), 1u);
  EXPECT_FALSE(power.KeepingAwake());
}

TEST_F(WakeTest, EndCloseToTheNextWakeStaysAwake) {
  ScopedDebugLog scoped(debugLog);
  Add(At(10, 21, 0), At(10, 22, 0));
  Add(At(10, 22, 5), At(10, 23, 0));  // wakes 22:04, four minutes after the end
  JumpTo(At(10, 21, 0));
  EXPECT_EQ(sched->StatusText(), "終了 05/10 22:00 → 待機（次回起動 05/10 22:04）");
  JumpTo(At(10, 22, 0));
  EXPECT_EQ(plugin.names.size(), 1u);
  EXPECT_EQ(windows.created, 0);  // no countdown, no power action
  EXPECT_TRUE(power.KeepingAwake());
  EXPECT_TRUE(sched->StayingAwake());
  EXPECT_EQ(sched->StatusText(), "次の予定まで待機中（次回起動 05/10 22:04）");
  EXPECT_NE(scoped.Text().find("次の予定の起動まで240秒のため、スリープせずに待機"), std::string::npos)
      << scoped.Text();
  // Saved all the same.
  EXPECT_EQ(ProfileStore::Load(dir.File("Nimbra.ini")).GetInt(kScheduleSection, "sch_num", 0), 2);

  JumpTo(At(10, 22, 5));
  EXPECT_FALSE(sched->StayingAwake());
  EXPECT_EQ(sched->StatusText(), "終了 05/10 23:00 → シャットダウン");
  EXPECT_TRUE(power.Calls("suspend").empty());

  // A following wake further off than the gap: the end sleeps as before.
  Add(At(10, 23, 10), At(10, 23, 30));
  JumpTo(At(10, 23, 0));
  EXPECT_EQ(windows.created, 1);
}

// After a resume the list shows at once what the tick would: a window that
// began during the sleep is running, and what the PC stayed awake for has
// begun. The end second is the tick's, which ends the schedule.
TEST_F(WakeTest, AResumeInsideAWindowTurnsItRunning) {
  struct Case {
    SystemTime resume;
    bool running;
  };
  const Case cases[] = {
      {At(10, 22, 4, 59), false},  // before the start
      {At(10, 22, 5, 0), true},    // the start second
      {At(10, 22, 59, 59), true},  // the last second
      {At(10, 23, 0, 0), false},   // the end second
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TimeToSeconds(c.resume));
    while (Table().GetScheduleCount() > 0) Table().DeleteSchedule(0);
    Add(At(10, 21, 0), At(10, 22, 0));
    Add(At(10, 22, 5), At(10, 23, 0));
    JumpTo(At(10, 21, 0));
    JumpTo(At(10, 22, 0));  // ends the first, stays awake for the second
    ASSERT_TRUE(sched->StayingAwake());
    ASSERT_EQ(E(1).s, At(10, 22, 5));
    const int refreshes = view.refreshes;
    clock.SetLocal(c.resume);
    sched->OnResume();
    EXPECT_EQ(E(1).state, c.running ? kStateRunning : kStateWaiting);
    EXPECT_EQ(sched->StayingAwake(), !c.running);
    EXPECT_EQ(view.refreshes - refreshes, c.running ? 1 : 0);
  }
}

TEST_F(WakeTest, RefusedTimerKeepsThePcAwakeUntilAnArmingIsAccepted) {
  ScopedDebugLog scoped(debugLog);
  Add(At(10, 22, 0), At(10, 22, 30));
  power.SetArmResult(false, {SystemCause::kAccessDenied, 5});
  clock.SetLocal(At(10, 12, 0));
  sched->Tick();
  EXPECT_TRUE(power.KeepingAwake());  // hours ahead: no idle sleep may outlast the start
  EXPECT_NE(scoped.Text().find("ウェイクタイマーが使えないため、スリープさせずに待機"), std::string::npos);
  power.SetArmResult(true, {});
  clock.SetLocal(At(10, 12, 1));  // the minute's retry
  sched->Tick();
  EXPECT_EQ(power.ArmedAt(), TimeToSeconds(At(10, 21, 59)));
  EXPECT_FALSE(power.KeepingAwake());
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"ウェイクタイマーエラー(error=5)"});
}

// Whatever wants the PC awake, a sleep (by the user or by Windows) may end
// the request without a word: after the resume it is asked for again, and
// the reason the system shows names the program and the schedule.
TEST_F(WakeTest, KeepAwakeIsAskedAgainAfterEveryResumeNamingTheSchedule) {
  struct Case {
    SystemTime now;
    bool timerRefused;
    const char* reason;
  };
  const Case cases[] = {
      {At(10, 12, 0), true, "Nimbra: ウェイクタイマーが使えないため「ニュース」まで待機中"},
      {At(10, 20, 56), false, "Nimbra: 「ニュース」の開始を待機中"},
      {At(10, 21, 10), false, "Nimbra: 「ニュース」を実行中"},
  };
  Add(At(10, 21, 0), At(10, 22, 0));
  std::strcpy(E(0).title, Utf8ToSjis("ニュース").c_str());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    power.SetArmResult(!c.timerRefused,
                       c.timerRefused ? SystemError{SystemCause::kAccessDenied, 5} : SystemError{});
    clock.SetLocal(c.now);
    sched->Tick();
    ASSERT_TRUE(power.KeepingAwake());
    EXPECT_EQ(power.Calls("awake").back().reason, c.reason);
    power.EndKeepAwakeBySleep();
    clock.Advance(20);
    sched->OnResume();
    sched->Tick();
    EXPECT_TRUE(power.KeepingAwake());
    EXPECT_EQ(power.Calls("awake").back().reason, c.reason);
  }
  EXPECT_EQ(power.Calls("arm").back().reason, "Nimbra: 「ニュース」の開始に合わせて復帰");
}

TEST_F(WakeTest, ATimerWakeThatComesBackAfterTheStartIsDiagnosedWithTheLeadThatCoversIt) {
  ScopedDebugLog scoped(debugLog);
  const auto slow = [this] {
    for (const ReadinessFinding& f : sched->Diagnose().findings)
      if (f.text.find("タイマーによる復帰") != std::string::npos) return f;
    return ReadinessFinding{};
  };
  Add(At(10, 21, 0), At(10, 21, 30));
  Add(At(10, 22, 0), At(10, 22, 30));
  Add(At(11, 6, 0), At(11, 7, 0));
  clock.SetLocal(At(10, 20, 0));
  sched->Tick();  // due 20:59, then asleep
  clock.SetLocal(At(10, 20, 59, 50));  // back within the lead: in time
  sched->OnResume();
  EXPECT_TRUE(slow().text.empty());

  WalkTo(At(10, 21, 30));
  sched->Tick();  // due 21:59, then asleep
  clock.SetLocal(At(10, 22, 1, 30));  // 150 s after the timer, 90 s into the recording
  sched->OnResume();
  sched->Tick();  // the same wake seen again by the tick counts once
  EXPECT_EQ(sched->SlowestLateResume(), 150);
  EXPECT_EQ(slow().level, FindingLevel::kWarning);
  EXPECT_NE(slow().text.find("「ウェイクタイマーを開始の180秒前にする」"), std::string::npos);
  EXPECT_NE(scoped.Text().find("タイマーによる復帰に150秒、開始から90秒遅れ"), std::string::npos);

  User().wakeup_lead_sec = 180;  // the user follows the advice
  EXPECT_EQ(slow().level, FindingLevel::kOk);

  // Someone waking the PC long after the timer's time is no slow resume.
  WalkTo(At(10, 22, 30));
  sched->Tick();  // due 05:57 the next day
  clock.SetLocal(At(11, 6, 20));
  sched->OnResume();
  EXPECT_EQ(sched->SlowestLateResume(), 150);
}

// The self-test sleeps through the end's countdown with the timer at its
// own time, keeps the PC awake through the watch after the resume as for a
// schedule, and gives the timer back to the schedule ahead; a dry run plays
// the sleep until the timer and the watch at once.
TEST_F(WakeTest, TheWakeSelfTestSleepsWithItsTimerWatchesAndGivesTheTimerBack) {
  Add(At(10, 23, 0), At(10, 23, 30));
  sched->Tick();
  const int64_t scheduleWake = TimeToSeconds(At(10, 22, 59));
  ASSERT_EQ(power.ArmedAt(), scheduleWake);
  const int64_t wake = TimeToSeconds(At(10, 20, 2));
  // The count waits until the tick after the start has run, as the real
  // ten seconds do: its end arms the timer too.
  std::atomic<bool> ticked{false};
  sched->SetCountdownStepWait([&ticked](int) {
    while (!ticked.load()) std::this_thread::yield();
  });

  ASSERT_EQ(sched->WakeTestRefusal(), "");
  ASSERT_TRUE(sched->StartWakeTest(wake, false));
  EXPECT_EQ(sched->WakeTestRefusal(), "スリープ復帰テストは実行中です。");
  ASSERT_EQ(windows.created, 1);
  EXPECT_EQ(windows.last->Caption(), "スリープ復帰テストの準備中");
  sched->Tick();
  EXPECT_EQ(power.ArmedAt(), wake);
  EXPECT_EQ(power.Calls("arm").back().reason, kWakeTestReason);
  ticked = true;
  WaitCountdown();
  EXPECT_EQ(power.Calls("suspend").size(), 1u);
  sched->Tick();
  EXPECT_EQ(power.ArmedAt(), wake);

  sched->OnSleeping();
  clock.SetLocal(At(10, 20, 2, 10));
  sched->OnResumeEvent(true);
  sched->OnResume();
  sched->Tick();
  EXPECT_EQ(power.ArmedAt(), scheduleWake);
  ASSERT_TRUE(power.KeepingAwake());
  EXPECT_EQ(power.Calls("awake").back().reason, kWakeTestAwakeReason);
  WalkTo(At(10, 20, 5, 9));
  EXPECT_EQ(view.wakeTests, 0);
  WalkTo(At(10, 20, 5, 10));
  EXPECT_EQ(view.wakeTests, 1);
  EXPECT_FALSE(power.KeepingAwake());
  const WakeTestResult& r = sched->LastWakeTest();
  EXPECT_TRUE(r.Passed());
  EXPECT_EQ(r.LateSeconds(), 10);
  EXPECT_EQ(r.stay, WakeTestStay::kStayed);
  EXPECT_EQ(sched->Diagnose().findings.back().text,
            "スリープ復帰テスト（2030/05/10 20:00、スタンバイ）: タイマーで復帰、タイマーの時刻から10秒後に動作再開");

  // The dry run: the played sleep ends at the timer, the watch passes at once.
  clock.SetLocal(At(10, 21, 0));
  ASSERT_TRUE(sched->StartWakeTest(TimeToSeconds(At(10, 21, 2)), true));
  WaitCountdown();
  clock.Advance(1);
  sched->OnSleeping();
  sched->OnResumeEvent(true);
  sched->OnResume();
  sched->Tick();
  EXPECT_EQ(view.wakeTests, 2);
  EXPECT_EQ(sched->LastWakeTest().LateSeconds(), 0);
  EXPECT_TRUE(sched->LastWakeTest().simulated);
  EXPECT_EQ(power.ArmedAt(), scheduleWake);
}

// A test whose countdown is stopped ends at once, its timer given back.
TEST_F(WakeTest, AStoppedWakeSelfTestEndsAsCancelled) {
  // The count waits at its first step until the user has stopped it.
  std::atomic<bool> stopped{false};
  sched->SetCountdownStepWait([&stopped](int) {
    while (!stopped.load()) std::this_thread::yield();
  });
  ASSERT_TRUE(sched->StartWakeTest(TimeToSeconds(At(10, 20, 2)), false));
  sched->Countdown()->Stop();
  stopped = true;
  WaitCountdown();
  sched->Tick();
  EXPECT_EQ(view.wakeTests, 1);
  EXPECT_EQ(sched->LastWakeTest().outcome, WakeTestOutcome::kCancelled);
  EXPECT_TRUE(power.Calls("suspend").empty());
  EXPECT_FALSE(power.HasWakeTimer());
}

TEST_F(SchedulerTest, TickThatComesDuringATickIsDropped) {
  // A plug-in failure's message box pumps messages, the tick timer's among them.
  class ReentrantPlugin final : public IPluginRunner {
   public:
    void RunPlugin(const char*, const ScheduleEntry&) override {
      ++runs;
      EXPECT_FALSE(sched->OnTimer(CScheduler::kTickTimer));
    }
    CScheduler* sched = nullptr;
    int runs = 0;
  } reentrant;
  CScheduler s(*doc, view, reentrant, *control, windows, Services());
  s.SetCountdownStepWait(NoWait);
  reentrant.sched = &s;
  Add(At(10, 21, 0), At(10, 22, 0));
  clock.SetLocal(At(10, 22, 0));
  EXPECT_FALSE(s.OnTimer(CScheduler::kTickTimer));
  EXPECT_EQ(reentrant.runs, 1);
  EXPECT_EQ(windows.created, 1);
  if (s.Countdown() && s.Countdown()->Worker()) {
    windows.last->WaitEnd();
    s.Countdown()->Finish();
  }
}

}  // namespace
