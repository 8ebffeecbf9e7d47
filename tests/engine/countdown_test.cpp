// The end countdown: its texts and progress, stopping, completion, and a
// countdown replaced while its worker counts. The worker runs for real; the
// window is a fake that records what the worker tells it.
#include "engine/countdown.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/engine_fakes.h"
#include "engine/power_control.h"
#include "platform/recording_power.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace {

class CountdownTest : public ::testing::Test {
 protected:
  FakeClock clock{TimeToSeconds(MakeSystemTime(2030, 5, 10, 22, 0, 0))};
  ScriptedPrompt prompt;
  CDebugLog debugLog;
  RecordingPower power;
  CPowerControl control{power, prompt, clock, debugLog, "tz_wakeup_timer"};
  CoreServices services{clock, prompt, debugLog};
  FakeWindowFactory windows;

  // Starts a countdown of 10 s in 500 ms steps that does not sleep.
  std::unique_ptr<CCountdown> Start(int wakeFlag, const SystemTime* wake, ThreadAction done,
                                    ThreadAction cancel) {
    auto c = std::make_unique<CCountdown>(control, services);
    c->SetStepWait(NoWait);
    EXPECT_TRUE(c->Initialize("サスペンドの準備中", 10, 500, SleepMode::kHibernate, wakeFlag, wake,
                              done, nullptr, 0, cancel, nullptr, 0));
    EXPECT_TRUE(c->Create(windows));
    return c;
  }
};

TEST_F(CountdownTest, CompletesWithItsTextsAndRunsTheDoneAction) {
  auto c = Start(0, nullptr, SuspendAction, SuspendCancelAction);
  FakeCountdownWindow& w = *windows.last;
  ASSERT_EQ(w.WaitEnd(), FakeCountdownWindow::End::kCompleted);
  c->Finish();

  std::vector<std::string> expected;
  for (int s : {10, 9, 9, 8, 8, 7, 7, 6, 6, 5, 5, 4, 4, 3, 3, 2, 2, 1, 1, 0})
    expected.push_back(std::to_string(s) + "秒後に終了します");
  EXPECT_EQ(w.Texts(), expected);
  EXPECT_EQ(w.RangeHigh(), 20);
  EXPECT_EQ(w.Positions().back(), 19);
  EXPECT_EQ(w.Caption(), "サスペンドの準備中");
  EXPECT_EQ(w.Posts(), 1);
  EXPECT_EQ(c->Worker(), nullptr);
  c->Finish();  // a second "completed" changes nothing
  EXPECT_EQ(w.Closes(), 1);

  // Standby or hibernation without a wake-up: no timer, mode as handed in.
  const auto suspends = power.Calls("suspend");
  ASSERT_EQ(suspends.size(), 1u);
  EXPECT_EQ(suspends[0].value, 1);
  EXPECT_TRUE(power.Calls("open").empty());
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(CountdownTest, StopInTheFirstStepRunsOnlyTheCancelAction) {
  auto c = std::make_unique<CCountdown>(control, services);
  c->SetStepWait(NoWait);
  ASSERT_TRUE(c->Initialize("サスペンドの準備中", 10, 500, SleepMode::kStandby, 0, nullptr,
                            SuspendAction, nullptr, 0, SuspendCancelAction, nullptr, 0));
  CCountdown* raw = c.get();
  windows.onCreate = [raw](FakeCountdownWindow& w) {
    // The user presses "中止" while the first second is shown.
    w.OnText([raw](const std::string& text) {
      if (text == "10秒後に終了します") raw->Stop();
    });
  };
  ASSERT_TRUE(c->Create(windows));
  FakeCountdownWindow& w = *windows.last;
  ASSERT_EQ(w.WaitEnd(), FakeCountdownWindow::End::kStopped);
  c->Finish();

  EXPECT_EQ(w.Texts(), (std::vector<std::string>{"10秒後に終了します", "中止しています"}));
  EXPECT_TRUE(w.Positions().empty());
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"サスペンドを中止しました"});
  EXPECT_TRUE(power.Calls("suspend").empty());
  EXPECT_FALSE(c->IsRunning());
  EXPECT_EQ(w.Closes(), 1);
}

// Whatever throws on the worker is logged instead of ending the program: a
// count that fails runs no power action, and the window still hears the end
// so that it closes.
TEST_F(CountdownTest, AnExceptionOnTheWorkerIsLoggedAndTheWindowStillHearsTheEnd) {
  struct Case {
    const char* name;
    bool windowThrows;   // else the step wait throws something that is no std::exception
    const char* logged;
  } const cases[] = {
      {"window", true, "countdown: count failed: window gone\n"},
      {"wait", false, "countdown: count failed\n"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    ScopedDebugLog log(debugLog);
    auto c = std::make_unique<CCountdown>(control, services);
    c->SetStepWait(k.windowThrows ? CCountdown::StepWait(NoWait) : [](int) { throw 42; });
    ASSERT_TRUE(c->Initialize("サスペンドの準備中", 10, 500, SleepMode::kStandby, 0, nullptr,
                              SuspendAction, nullptr, 0, SuspendCancelAction, nullptr, 0));
    if (k.windowThrows)
      windows.onCreate = [](FakeCountdownWindow& w) {
        w.OnText([](const std::string&) { throw std::runtime_error("window gone"); });
      };
    ASSERT_TRUE(c->Create(windows));
    windows.onCreate = nullptr;
    ASSERT_EQ(windows.last->WaitEnd(), FakeCountdownWindow::End::kStopped);
    c->Finish();
    EXPECT_EQ(windows.last->Closes(), 1);
    EXPECT_TRUE(power.Calls().empty());
    EXPECT_EQ(log.Text(), k.logged);
  }
}

TEST_F(CountdownTest, StopDuringTheLastStepStillCancels) {
  // "中止" pressed in the count's last half second: the wait ends early and
  // nothing is left to count, but the user's stop must win over the action.
  auto c = std::make_unique<CCountdown>(control, services);
  CCountdown* raw = c.get();
  int waits = 0;
  c->SetStepWait([raw, &waits](int) {
    if (++waits == 20) raw->Stop();
  });
  ASSERT_TRUE(c->Initialize("サスペンドの準備中", 10, 500, SleepMode::kStandby, 0, nullptr,
                            SuspendAction, nullptr, 0, SuspendCancelAction, nullptr, 0));
  ASSERT_TRUE(c->Create(windows));
  ASSERT_EQ(windows.last->WaitEnd(), FakeCountdownWindow::End::kStopped);
  c->Finish();
  EXPECT_TRUE(power.Calls("suspend").empty());
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"サスペンドを中止しました"});
}

TEST_F(CountdownTest, ShutdownAndItsCancel) {
  auto done = Start(0, nullptr, ShutdownAction, ShutdownCancelAction);
  ASSERT_EQ(windows.last->WaitEnd(), FakeCountdownWindow::End::kCompleted);
  done->Finish();
  EXPECT_EQ(power.Calls("shutdown").size(), 1u);

  auto stopped = std::make_unique<CCountdown>(control, services);
  stopped->Stop();  // pressed before the first step
  ASSERT_TRUE(stopped->Initialize("シャットダウンの準備中", 10, 500, SleepMode::kStandby, 0,
                                  nullptr, ShutdownAction, nullptr, 0, ShutdownCancelAction,
                                  nullptr, 0));
  ASSERT_TRUE(stopped->Create(windows));
  ASSERT_EQ(windows.last->WaitEnd(), FakeCountdownWindow::End::kStopped);
  stopped->Finish();
  EXPECT_EQ(power.Calls("shutdown").size(), 1u);
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"シャットダウンを中止しました"});
}

TEST_F(CountdownTest, ReplacedWhileCountingRunsNeitherAction) {
  // Real 500 ms steps: the worker is asleep in its first step when the
  // countdown goes, and must be woken and joined without acting.
  auto c = std::make_unique<CCountdown>(control, services);
  ASSERT_TRUE(c->Initialize("サスペンドの準備中", 10, 500, SleepMode::kStandby, 0, nullptr,
                            SuspendAction, nullptr, 0, SuspendCancelAction, nullptr, 0));
  ASSERT_TRUE(c->Create(windows));
  windows.last->WaitPositions(1);
  c.reset();

  EXPECT_TRUE(power.Calls().empty());
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(CountdownTest, KeepsItsOwnCopyOfTheWakeTime) {
  SystemTime wake = MakeSystemTime(2030, 5, 11, 6, 0, 0);
  auto c = std::make_unique<CCountdown>(control, services);
  ASSERT_TRUE(c->Initialize("サスペンドの準備中", 10, 500, SleepMode::kStandby, 1, &wake,
                            SuspendAction, nullptr, 0, SuspendCancelAction, nullptr, 0));
  wake = MakeSystemTime(2030, 5, 12, 6, 0, 0);  // the table changes meanwhile
  c->SetStepWait(NoWait);
  ASSERT_TRUE(c->Create(windows));
  ASSERT_EQ(windows.last->WaitEnd(), FakeCountdownWindow::End::kCompleted);
  c->Finish();

  const auto arms = power.Calls("arm");
  ASSERT_EQ(arms.size(), 1u);
  EXPECT_EQ(arms[0].value, TimeToSeconds(MakeSystemTime(2030, 5, 11, 6, 0, 0)));
  EXPECT_EQ(power.Calls("suspend").size(), 1u);
}

TEST_F(CountdownTest, NoSuspendWhenTheWakeTimerCannotBeArmed) {
  power.SetArmResult(true, {SystemCause::kNoResume, 722});
  const SystemTime wake = MakeSystemTime(2030, 5, 11, 6, 0, 0);
  auto c = Start(1, &wake, SuspendAction, SuspendCancelAction);
  ASSERT_EQ(windows.last->WaitEnd(), FakeCountdownWindow::End::kCompleted);
  c->Finish();
  EXPECT_TRUE(power.Calls("suspend").empty());
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"ウェイクタイマーエラー(error=722)"});
}

TEST_F(CountdownTest, NoSuspendWhenTheWakeTimeHasComeOrIsAMinuteAway) {
  // A timer due by the time the PC is asleep fires first: the PC would sleep
  // through the start.
  const int64_t now = clock.SecondsNow();
  for (const int64_t ahead : {int64_t{-5}, int64_t{0}, kSuspendMarginSeconds - 1, kSuspendMarginSeconds}) {
    SCOPED_TRACE(ahead);
    power.Clear();
    SystemTime wake{};
    SecondsToTime(now + ahead, &wake);
    auto c = Start(1, &wake, SuspendAction, SuspendCancelAction);
    ASSERT_EQ(windows.last->WaitEnd(), FakeCountdownWindow::End::kCompleted);
    c->Finish();
    const bool sleeps = ahead >= kSuspendMarginSeconds;
    EXPECT_EQ(power.Calls("suspend").size(), sleeps ? 1u : 0u);
    EXPECT_EQ(power.Calls("arm").size(), sleeps ? 1u : 0u);
  }
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>(3, "予約の起動時刻が近いため、サスペンドを中止しました"));
}

TEST_F(CountdownTest, WakeFlagWithoutAWakeTimeIsRefused) {
  CCountdown c(control, services);
  EXPECT_FALSE(c.Initialize("サスペンドの準備中", 10, 500, SleepMode::kStandby, 1, nullptr,
                            SuspendAction, nullptr, 0, SuspendCancelAction, nullptr, 0));
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"Thread Initialize failed."});
  EXPECT_FALSE(c.Create(windows));
  EXPECT_EQ(windows.created, 0);
}

TEST_F(CountdownTest, NoWindowMeansNoCount) {
  windows.fail = true;
  CCountdown c(control, services);
  ASSERT_TRUE(c.Initialize("x", 10, 500, SleepMode::kStandby, 0, nullptr, SuspendAction, nullptr, 0,
                           SuspendCancelAction, nullptr, 0));
  EXPECT_FALSE(c.Create(windows));
  EXPECT_EQ(c.Worker()->thread.joinable(), false);
}

TEST_F(CountdownTest, MissingActionsBecomeTheDummyWithItsTrace) {
  ScopedDebugLog log(debugLog);
  auto c = Start(0, nullptr, nullptr, nullptr);
  ASSERT_EQ(windows.last->WaitEnd(), FakeCountdownWindow::End::kCompleted);
  c->Finish();
  EXPECT_NE(log.Text().find("No func setting, then call dummy function1 542 22:0:0.0"),
            std::string::npos);
  EXPECT_TRUE(power.Calls().empty());
}

TEST_F(CountdownTest, ActionsGetTheirArgumentCopy) {
  static std::string seen;
  ThreadAction record = [](ThreadObj*, const void* arg) {
    seen = static_cast<const char*>(arg);
    return 0;
  };
  char arg[] = "block";
  auto c = std::make_unique<CCountdown>(control, services);
  c->SetStepWait(NoWait);
  ASSERT_TRUE(c->Initialize("x", 1, 500, SleepMode::kStandby, 0, nullptr, record, arg, sizeof arg,
                            nullptr, nullptr, 0));
  arg[0] = 'X';
  ASSERT_TRUE(c->Create(windows));
  ASSERT_EQ(windows.last->WaitEnd(), FakeCountdownWindow::End::kCompleted);
  c->Finish();
  EXPECT_EQ(seen, "block");
}

}  // namespace
