// The standing timer over the recording power service: the power service is
// called only when the wanted wake changes, a refusal is told once per cause,
// and a suspend never goes ahead without an accepted timer.
#include "engine/standing_timer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine_fakes.h"
#include "platform/debug_log.h"
#include "platform/recording_power.h"
#include "support/fakes.h"

namespace {

std::vector<std::string> Kinds(const RecordingPower& p) {
  std::vector<std::string> out;
  for (const auto& c : p.Calls()) out.push_back(c.what);
  return out;
}

using Strings = std::vector<std::string>;

class StandingTimerTest : public ::testing::Test {
 protected:
  RecordingPower power;
  ScriptedPrompt prompt;
  CDebugLog log;
  CStandingTimer timer{power, prompt, log, "tz_wakeup_timer"};
  int64_t now = 100;  // calendar seconds
};

TEST_F(StandingTimerTest, CallsThePowerServiceOnlyOnAChange) {
  timer.Want(std::nullopt, now);  // nothing held, nothing wanted: nothing to do
  EXPECT_TRUE(power.Calls().empty());
  timer.Want(1000, now);
  timer.Want(1000, now);
  EXPECT_EQ(Kinds(power), (Strings{"open", "arm"}));
  EXPECT_EQ(power.ArmedAt(), 1000);
  EXPECT_EQ(timer.Status().state, WakeTimerState::kAccepted);

  power.Clear();
  timer.Want(2000, now);  // the held timer is re-armed, not opened again
  timer.Want(2000, now);
  EXPECT_EQ(Kinds(power), (Strings{"arm"}));
  EXPECT_EQ(timer.ArmedAt(), 2000);

  power.Clear();
  timer.Want(std::nullopt, now);
  timer.Want(std::nullopt, now);
  EXPECT_EQ(Kinds(power), (Strings{"cancel"}));
  EXPECT_EQ(timer.Status().state, WakeTimerState::kNotNeeded);
  EXPECT_FALSE(timer.ArmedAt());

  // After a resume the same time is armed again: a fired timer is spent.
  timer.Want(3000, now);
  power.Clear();
  timer.Forget();
  timer.Want(3000, now);
  EXPECT_EQ(Kinds(power), (Strings{"arm"}));
  EXPECT_TRUE(prompt.Texts().empty());
}

TEST_F(StandingTimerTest, RefusalIsToldOncePerCause) {
  power.SetArmResult(true, {SystemCause::kNoResume, 722});  // armed, but it will not resume the PC
  timer.Want(1000, now);
  timer.Want(2000, now);
  timer.Want(3000, now);
  EXPECT_EQ(prompt.Texts(), Strings{"ウェイクタイマーエラー(error=722)"});
  EXPECT_FALSE(power.HasWakeTimer());  // a timer that cannot wake is not kept
  EXPECT_EQ(timer.Status().state, WakeTimerState::kRefused);
  EXPECT_EQ(timer.Status().cause, SystemCause::kNoResume);
  EXPECT_FALSE(timer.ArmedAt());

  power.SetArmResult(false, {SystemCause::kAccessDenied, 5});  // another cause
  timer.Want(4000, now);
  power.SetArmResult(true, {});
  timer.Want(5000, now);
  EXPECT_EQ(timer.Status().state, WakeTimerState::kAccepted);
  power.SetArmResult(false, {SystemCause::kAccessDenied, 5});  // after a success the same cause is news again
  timer.Want(6000, now);
  EXPECT_EQ(prompt.Texts(), (Strings{"ウェイクタイマーエラー(error=722)", "ウェイクタイマーエラー(error=5)",
                                     "ウェイクタイマーエラー(error=5)"}));
}

TEST_F(StandingTimerTest, RefusedArmingIsTriedAgainSoonThenOnceAMinuteWithoutTellingAgain) {
  power.SetArmResult(false, {SystemCause::kAccessDenied, 5});
  timer.Want(1000, now);
  power.Clear();
  timer.Want(1000, now + CStandingTimer::kFirstRetrySeconds - 1);
  EXPECT_TRUE(power.Calls().empty());  // not at every tick
  timer.Want(1000, now + CStandingTimer::kFirstRetrySeconds);
  EXPECT_EQ(Kinds(power), (Strings{"open", "arm", "cancel"}));
  const int64_t second = now + CStandingTimer::kFirstRetrySeconds;
  timer.Want(1000, second + CStandingTimer::kRetrySeconds - 1);
  EXPECT_EQ(power.Calls("arm").size(), 1u);  // refused again: now once a minute
  timer.Want(1000, second + CStandingTimer::kRetrySeconds);
  EXPECT_EQ(power.Calls("arm").size(), 2u);
  timer.Want(1000, now - 3600);  // the clock set back does not put the retry off
  EXPECT_EQ(power.Calls("arm").size(), 3u);
  EXPECT_EQ(prompt.Texts(), Strings{"ウェイクタイマーエラー(error=5)"});

  power.SetArmResult(true, {});  // the refusal passed: armed, and left alone after
  timer.Want(1000, now - 3600 + CStandingTimer::kRetrySeconds);
  EXPECT_EQ(timer.ArmedAt(), 1000);
  power.Clear();
  timer.Want(1000, now + 86400);
  EXPECT_TRUE(power.Calls().empty());
}

TEST_F(StandingTimerTest, SuspendFindsTheStandingTimerOrArmsOrRefusesAloud) {
  timer.Want(1000, now);
  power.Clear();
  EXPECT_TRUE(timer.Ensure(1000));  // standing already: no call
  EXPECT_TRUE(power.Calls().empty());
  EXPECT_TRUE(timer.Ensure(1500));  // another target: armed now
  EXPECT_EQ(power.ArmedAt(), 1500);

  power.SetArmResult(true, {SystemCause::kNoResume, 722});
  timer.Want(2000, now);  // told once here ...
  EXPECT_FALSE(timer.Ensure(2000));  // ... and at every suspend it stops
  EXPECT_FALSE(timer.Ensure(2000));
  EXPECT_EQ(prompt.Texts().size(), 3u);
}

// Another program's timer of the same name is never cancelled or armed: an
// unnamed timer of our own wakes the PC, said once in the debug log, not in
// a box.
TEST_F(StandingTimerTest, AnotherProgramsTimerOfTheNameIsLeftAloneForAnUnnamedOne) {
  ScopedDebugLog debug(log);
  power.HoldElsewhere("tz_wakeup_timer");
  timer.Want(1000, now);
  EXPECT_EQ(timer.Status().state, WakeTimerState::kAccepted);
  EXPECT_EQ(power.ArmedAt(), 1000);
  timer.Want(std::nullopt, now);  // cancels our own
  timer.Want(2000, now + CStandingTimer::kRetrySeconds);
  timer.Forget();
  timer.Want(2000, now + 2 * CStandingTimer::kRetrySeconds);
  EXPECT_TRUE(timer.Ensure(2000));
  EXPECT_EQ(power.ArmedAt(), 2000);

  Strings opened;
  for (const auto& c : power.Calls("open")) opened.push_back(c.name);
  EXPECT_EQ(opened, (Strings{"tz_wakeup_timer", "", ""}));
  EXPECT_EQ(power.Calls("cancel").size(), 1u);  // only after ours was armed
  EXPECT_TRUE(prompt.Texts().empty());
  const std::string text = debug.Text();
  const std::string said = "名前のないタイマーを使う";
  ASSERT_NE(text.find(said), std::string::npos);
  EXPECT_EQ(text.find(said, text.find(said) + 1), std::string::npos);
}

}  // namespace
