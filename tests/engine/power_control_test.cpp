// The program's power steps over a recording power service: what reaches the
// service, what the user is told, what goes to the debug log.
#include "engine/power_control.h"

#include <gtest/gtest.h>

#include "engine/engine_fakes.h"
#include "platform/power_readings.h"
#include "platform/recording_power.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace {

class PowerControlTest : public ::testing::Test {
 protected:
  const int64_t now = TimeToSeconds(MakeSystemTime(2030, 5, 10, 12, 0, 0));
  FakeClock clock{now};
  ScriptedPrompt prompt;
  CDebugLog debugLog;
  RecordingPower power;
  CPowerControl control{power, prompt, clock, debugLog, "tz_wakeup_timer"};
};

TEST_F(PowerControlTest, ArmsAtTheAbsoluteWakeTime) {
  // 30 seconds ahead, and one already past: both are handed on as the
  // absolute time itself (a past one fires at once).
  for (const SystemTime wake : {MakeSystemTime(2030, 5, 10, 12, 0, 30),
                                MakeSystemTime(2030, 5, 10, 11, 59, 0)}) {
    SCOPED_TRACE(wake.wMinute);
    power.Clear();
    ASSERT_TRUE(control.TzSetWakeupTimer(wake));
    const auto calls = power.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].what, "open");
    EXPECT_EQ(calls[0].name, "tz_wakeup_timer");
    EXPECT_EQ(calls[1].what, "arm");
    EXPECT_EQ(calls[1].value, TimeToSeconds(wake));
    control.CancelWakeupTimer();
  }
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(PowerControlTest, SuspendEntersTheSleepStateTheMachineHas) {
  PowerReadings full;
  full.capabilitiesRead = true;
  full.standbyS3 = true;
  full.hibernateS4 = true;
  full.hiberFilePresent = true;
  PowerReadings noHiberFile = full;
  noHiberFile.hiberFilePresent = false;
  PowerReadings neither = noHiberFile;
  neither.standbyS3 = false;
  const struct {
    const char* what;
    PowerReadings readings;
    SleepMode mode;
    int entered;  // the state entered as recorded (1 hibernation, 0 standby); -1: no suspend
    const char* log;
  } cases[] = {
      {"hibernation", full, SleepMode::kHibernate, 1, ""},
      {"standby", full, SleepMode::kStandby, 0, ""},
      {"hibernation switched off", noHiberFile, SleepMode::kHibernate, 0,
       "hibernation is not available: entering standby instead\n"},
      {"nothing read: the system call decides", PowerReadings{}, SleepMode::kHibernate, 1, ""},
      {"neither", neither, SleepMode::kHibernate, -1,
       "neither standby nor hibernation is available: not suspending\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedDebugLog log(debugLog);
    FixedPowerReadings readings(c.readings);
    RecordingPower p;
    ScriptedPrompt pr;
    CPowerControl pc(p, pr, clock, debugLog, "t", &readings);
    EXPECT_EQ(pc.SuspendSystem(c.mode), c.entered >= 0);
    EXPECT_EQ(pc.SuspendSystem(c.mode), c.entered >= 0);
    const auto suspends = p.Calls("suspend");
    ASSERT_EQ(suspends.size(), c.entered >= 0 ? 2u : 0u);
    if (c.entered >= 0) {
      EXPECT_EQ(suspends[0].value, c.entered);
    }
    // The PC that cannot sleep says so, once.
    EXPECT_EQ(pr.Texts().size(), c.entered >= 0 ? 0u : 1u);
    if (*c.log) {
      EXPECT_NE(log.Text().find(c.log), std::string::npos) << log.Text();
    }
  }
}

// What could not be read goes to the debug log with its cause, once for
// each change.
TEST_F(PowerControlTest, AFailedReadingGoesToTheDebugLogWithItsCause) {
  ScopedDebugLog log(debugLog);
  PowerReadings unread;
  unread.wakeTimersAc = WakeTimerPolicy::kUnknown;
  unread.schemeCause = SystemCause::kNotFound;
  unread.capabilitiesCause = SystemCause::kAccessDenied;
  unread.unattendedCause = SystemCause::kNotSupported;  // a call missing (Wine)
  FixedPowerReadings readings(unread);
  CPowerControl pc(power, prompt, clock, debugLog, "t", &readings);
  (void)pc.Diagnose(SleepMode::kHibernate);
  (void)pc.Diagnose(SleepMode::kHibernate);
  const std::string line =
      "not read: 電源接続時のスリープ解除タイマーの許可 (見つかりません); "
      "スタンバイと休止状態が使えるか (アクセスが拒否されました); 無人スリープまでの時間 "
      "(このPCでは対応していません)\n";
  const std::string text = log.Text();
  ASSERT_NE(text.find(line), std::string::npos) << text;
  EXPECT_EQ(text.find(line), text.rfind(line)) << text;
}

TEST_F(PowerControlTest, TimerCreationFailures) {
  const struct {
    SystemError error;
    const char* text;
  } cases[] = {
      {{SystemCause::kInvalidHandle, 6}, "ウェイクタイマーエラー ERROR_INVALID_HANDLE (error=6)"},
      {{SystemCause::kAccessDenied, 5}, "ウェイクタイマーエラー(error=5)"},
  };
  for (const auto& c : cases) {
    RecordingPower failing;
    failing.FailOpen(c.error);
    ScriptedPrompt p;
    CPowerControl pc(failing, p, clock, debugLog, "tz_wakeup_timer");
    EXPECT_FALSE(pc.TzSetWakeupTimer(MakeSystemTime(2030, 5, 10, 13, 0, 0)));
    EXPECT_EQ(p.Texts(), std::vector<std::string>{c.text});
    EXPECT_TRUE(failing.Calls("arm").empty());
  }
}

TEST_F(PowerControlTest, ATimerThatWillNotResumeTheMachineIsAnError) {
  const struct {
    bool ok;
    SystemError error;
    bool armed;
  } cases[] = {
      {true, {}, true},
      {true, {SystemCause::kNoResume, 722}, false},  // what Wine answers
      {true, {SystemCause::kNotSupported, 50}, false},
      {false, {SystemCause::kOther, 87}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error.number);
    RecordingPower p;
    p.SetArmResult(c.ok, c.error);
    ScriptedPrompt pr;
    CPowerControl pc(p, pr, clock, debugLog, "tz_wakeup_timer");
    EXPECT_EQ(pc.TzSetWakeupTimer(MakeSystemTime(2030, 5, 10, 13, 0, 0)), c.armed);
    if (c.armed) {
      EXPECT_TRUE(pr.shown.empty());
      EXPECT_TRUE(p.HasWakeTimer());
    } else {
      EXPECT_EQ(pr.Texts(),
                std::vector<std::string>{"ウェイクタイマーエラー(error=" +
                                         std::to_string(c.error.number) + ")"});
      EXPECT_FALSE(p.HasWakeTimer());  // nothing half-armed is left behind
    }
  }
}

TEST_F(PowerControlTest, UnnamedTimerWhenTheNameIsEmpty) {
  CPowerControl pc(power, prompt, clock, debugLog, "");
  ASSERT_TRUE(pc.TzSetWakeupTimer(MakeSystemTime(2030, 5, 10, 13, 0, 0)));
  EXPECT_EQ(power.Calls("open").at(0).name, "");
}

TEST_F(PowerControlTest, CancelTwiceIsHarmless) {
  ASSERT_TRUE(control.TzSetWakeupTimer(MakeSystemTime(2030, 5, 10, 13, 0, 0)));
  control.CancelWakeupTimer();
  control.CancelWakeupTimer();
  EXPECT_FALSE(power.HasWakeTimer());
  EXPECT_EQ(power.ArmedAt(), 0);
}

TEST_F(PowerControlTest, ShutdownFailuresGoToTheDebugLog) {
  ScopedDebugLog log(debugLog);
  const struct {
    ShutdownResult result;
    const char* line;
  } cases[] = {
      {ShutdownResult::kTokenFailed, "OpenProcessToken error\n"},
      {ShutdownResult::kPrivilegeFailed, "AdjustTokenPrivileges error\n"},
      {ShutdownResult::kExitFailed, "ExitWindowsEx error\n"},
      {ShutdownResult::kOk, ""},
  };
  for (const auto& c : cases) {
    log.Clear();
    power.SetShutdownResult(c.result);
    control.ShutdownSystem();
    const std::string text = log.Text();
    if (c.line[0])
      EXPECT_NE(text.find(std::string(c.line) + "\n"), std::string::npos) << text;
    else
      EXPECT_EQ(text, "");
  }
  EXPECT_EQ(power.Calls("shutdown").size(), 4u);
}

TEST_F(PowerControlTest, TimerTraceLines) {
  ScopedDebugLog scoped(debugLog);
  ASSERT_TRUE(control.TzSetWakeupTimer(MakeSystemTime(2030, 5, 10, 13, 0, 0)));
  // Each line may carry the prefix of an earlier stamped line.
  const std::string log = scoped.Text();
  size_t at = 0;
  for (const char* line : {"TzSetWakeupTimer ln=14\n", "TzSetWakeupTimer ln=17\n",
                           "TzSetWakeupTimer ln=37\n", "TzSetWakeupTimer ln=45\n"}) {
    at = log.find(line, at);
    ASSERT_NE(at, std::string::npos) << line << log;
  }
}

TEST_F(PowerControlTest, KeepAwakeReachesTheServiceOnlyOnAChange) {
  control.KeepAwake(false);
  control.KeepAwake(true, "a");
  control.KeepAwake(true, "a");
  control.KeepAwake(true, "b");  // another schedule: the system shows the new reason
  control.KeepAwake(false);
  control.KeepAwakeAfterResume();
  control.KeepAwake(false);  // off stays off through a sleep
  const auto calls = power.Calls("awake");
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].value, 0);
  EXPECT_EQ(calls[1].value, 1);
  EXPECT_EQ(calls[2].reason, "b");
  EXPECT_EQ(calls[3].value, 0);
}

// A TZ variable (TZ=UTC here) moves the C runtime's zone away from the
// system's (Japan, +9 h): the table's seconds move with it, but the timer is
// still due at the wake's real moment, the system's UTC clock plus the
// distance to the wake, for the standing timer and for a countdown's suspend.
TEST(PowerControlZone, TheDueTimeComesFromTheSystemsUtcClockNotTheRuntimesZone) {
  class JapanSystemClock final : public IClock {
   public:
    explicit JapanSystemClock(int64_t utc) : utc_(utc) {}
    SystemTime LocalNow() const override {  // the wall clock of a Japanese PC
      SystemTime st{};
      SecondsToTime(utc_ + 9 * 3600, &st);  // the runtime's zone is UTC in this test
      return st;
    }
    int64_t SecondsNow() const override { return utc_; }

   private:
    int64_t utc_;
  };
  static char utcZone[] = "TZ=UTC0";
  static char japanZone[] = "TZ=JST-9";
  putenv(utcZone);
  tzset();
  const int64_t utcNow = 1904180400;  // 2030-05-05 03:00 UTC, 12:00 in Japan
  JapanSystemClock clock(utcNow);
  ScriptedPrompt prompt;
  CDebugLog log;
  RecordingPower power;
  CPowerControl control(power, prompt, clock, log, "tz_wakeup_timer");
  SystemTime wake = clock.LocalNow();
  wake.wHour = 13;  // an hour ahead on the wall clock

  control.WantWakeAt(TimeToSeconds(wake), LocalSecondsNow(clock));
  const int64_t standing = power.ArmedAt();
  control.CancelWakeupTimer();
  ASSERT_TRUE(control.TzSetWakeupTimer(wake));
  const int64_t suspend = power.ArmedAt();
  putenv(japanZone);
  tzset();
  EXPECT_EQ(standing, utcNow + 3600);
  EXPECT_EQ(suspend, utcNow + 3600);
}

}  // namespace
