// The Windows power service, as far as it is safe to run: timers only.
// Nothing here suspends or shuts anything down.
#include "platform/win32/power_win.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "engine/power_control.h"
#include "platform/power_readings.h"
#include "platform/win32/text_win.h"
#include "support/fakes.h"

namespace {

std::string UniqueName(const char* what) {
  return std::string("nimbra_test_") + what + "_" + std::to_string(GetCurrentProcessId());
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

TEST(Win32Power, SecondOpenOfANamedTimerReportsThatItExists) {
  const std::string name = UniqueName("collide");
  Win32Power a, b;
  uint32_t error = 99;
  ASSERT_TRUE(a.OpenWakeTimer(name, &error));
  EXPECT_EQ(error, 0u);
  ASSERT_TRUE(b.OpenWakeTimer(name, &error));
  EXPECT_EQ(error, kErrorAlreadyExists);
  EXPECT_TRUE(b.CancelWakeTimer());
  EXPECT_TRUE(a.CancelWakeTimer());
  EXPECT_FALSE(a.CancelWakeTimer());  // twice: nothing held any more
  EXPECT_FALSE(a.HasWakeTimer());
}

TEST(Win32Power, DueTimeIsAbsolute) {
  const std::string name = UniqueName("due");
  Win32Power p;
  uint32_t error = 0;
  ASSERT_TRUE(p.OpenWakeTimer(name, &error));
  UniqueHandle watch(OpenWaitableTimerW(SYNCHRONIZE, FALSE, AnsiToWide(name).c_str()));
  ASSERT_TRUE(watch);
  const int64_t now = static_cast<int64_t>(std::time(nullptr));

  // An hour from now is not due yet (as a relative time it would be long past).
  ASSERT_TRUE(p.ArmWakeTimer(now + 3600, &error));
  EXPECT_EQ(WaitForSingleObject(watch.get(), 0), WAIT_TIMEOUT);

  // A time already past is due at once.
  ASSERT_TRUE(p.ArmWakeTimer(now - 60, &error));
  EXPECT_EQ(WaitForSingleObject(watch.get(), 30000), WAIT_OBJECT_0);
  EXPECT_TRUE(p.CancelWakeTimer());
}

TEST(Win32Power, ArmingOverAnExistingTimerIsRefusedWithItsMessage) {
  const std::string name = UniqueName("busy");
  UniqueHandle other(CreateWaitableTimerW(nullptr, FALSE, AnsiToWide(name).c_str()));
  ASSERT_TRUE(other);
  Win32Power p;
  FakeClock clock(static_cast<int64_t>(std::time(nullptr)));
  ScriptedPrompt prompt;
  CPowerControl control(p, prompt, clock, name);
  SystemTime wake{};
  SecondsToTime(clock.SecondsNow() + 3600, &wake);
  EXPECT_FALSE(control.TzSetWakeupTimer(wake));
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"すでにウェイクタイマーが動作中です"});
  control.CancelWakeupTimer();
}

TEST(Win32Power, UnderWineTheTimerCannotResumeSoNothingSleeps) {
  if (!RunningUnderWine()) GTEST_SKIP() << "only Wine is known to refuse resuming";
  Win32Power p;
  FakeClock clock(static_cast<int64_t>(std::time(nullptr)));
  ScriptedPrompt prompt;
  const std::string name = UniqueName("wine");
  CPowerControl control(p, prompt, clock, name);
  SystemTime wake{};
  SecondsToTime(clock.SecondsNow() + 3600, &wake);
  EXPECT_FALSE(control.TzSetWakeupTimer(wake));
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"ウェイクタイマーエラー(error=722)"});
  EXPECT_FALSE(p.HasWakeTimer());
}

TEST(Win32Power, UnderWineTheStandingTimerIsRefusedOnceAndTheReadinessSaysSo) {
  if (!RunningUnderWine()) GTEST_SKIP() << "only Wine is known to refuse resuming";
  Win32Power p;
  ScriptedPrompt prompt;
  FakeClock clock(static_cast<int64_t>(std::time(nullptr)));
  CPowerControl control(p, prompt, clock, UniqueName("standing"), &SystemPowerReadings());
  for (int k = 1; k <= 3; ++k) control.WantWakeAt(clock.SecondsNow() + 3600 * k);
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"ウェイクタイマーエラー(error=722)"});
  EXPECT_FALSE(p.HasWakeTimer());
  const WakeDiagnosis d = control.Diagnose(1);
  EXPECT_FALSE(d.Ready());
  EXPECT_NE(d.NoticeText().find("(error=722)"), std::string::npos) << d.Report();
}

}  // namespace
