// The power steps over the real Windows power service, as far as it is safe
// to run: the wake-up timer only. Nothing here suspends or shuts anything down.
#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>

#include "engine/power_control.h"
#include "platform/debug_log.h"
#include "platform/clock.h"
#include "platform/power_readings.h"
#include "platform/recording_power.h"
#include "platform/win32/power_win.h"
#include "platform/win32/text_win.h"
#include "schedule/time_rules.h"
#include "support/fakes.h"

namespace {

std::string UniqueName(const char* what) {
  return std::string("nimbra_test_") + what + "_" + std::to_string(GetCurrentProcessId());
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Another program's timer of the configured name keeps its arming through
// our arming and cancelling: ours is an unnamed one.
TEST(Win32Power, AnotherProgramsTimerOfTheNameKeepsItsArming) {
  const std::string name = UniqueName("busy");
  UniqueHandle other(CreateWaitableTimerW(nullptr, FALSE, SjisToWide(name).c_str()));
  ASSERT_TRUE(other);
  LARGE_INTEGER soon;
  soon.QuadPart = -10000000LL;  // a second from now
  ASSERT_TRUE(SetWaitableTimer(other.get(), &soon, 0, nullptr, nullptr, FALSE));
  CDebugLog log;
  Win32Power p(log);
  FakeClock clock(static_cast<int64_t>(std::time(nullptr)));
  ScriptedPrompt prompt;
  CPowerControl control(p, prompt, clock, log, name);
  SystemTime wake{};
  SecondsToTime(clock.SecondsNow() + 3600, &wake);
  (void)control.TzSetWakeupTimer(wake);  // Wine refuses to resume by any timer (722)
  control.CancelWakeupTimer();
  for (const std::string& text : prompt.Texts())
    EXPECT_EQ(text.find("すでに"), std::string::npos) << text;
  EXPECT_EQ(WaitForSingleObject(other.get(), 30000), WAIT_OBJECT_0);  // still armed: it fires
}

TEST(Win32Power, UnderWineTheTimerCannotResumeSoNothingSleeps) {
  if (!RunningUnderWine()) GTEST_SKIP() << "only Wine is known to refuse resuming";
  CDebugLog log;
  Win32Power p(log);
  FakeClock clock(static_cast<int64_t>(std::time(nullptr)));
  ScriptedPrompt prompt;
  const std::string name = UniqueName("wine");
  CPowerControl control(p, prompt, clock, log, name);
  SystemTime wake{};
  SecondsToTime(clock.SecondsNow() + 3600, &wake);
  EXPECT_FALSE(control.TzSetWakeupTimer(wake));
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"ウェイクタイマーエラー(error=722)"});
  EXPECT_FALSE(p.HasWakeTimer());
}

TEST(Win32Power, UnderWineTheStandingTimerIsRefusedOnceAndTheReadinessSaysSo) {
  if (!RunningUnderWine()) GTEST_SKIP() << "only Wine is known to refuse resuming";
  CDebugLog log;
  Win32Power p(log);
  ScriptedPrompt prompt;
  FakeClock clock(static_cast<int64_t>(std::time(nullptr)));
  const std::unique_ptr<IPowerReadings> readings = MakeSystemPowerReadings(log);
  CPowerControl control(p, prompt, clock, log, UniqueName("standing"), readings.get());
  for (int k = 1; k <= 3; ++k) control.WantWakeAt(clock.SecondsNow() + 3600 * k, clock.SecondsNow());
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"ウェイクタイマーエラー(error=722)"});
  EXPECT_FALSE(p.HasWakeTimer());
  const WakeDiagnosis d = control.Diagnose(SleepMode::kHibernate);
  EXPECT_FALSE(d.Ready());
  EXPECT_NE(d.NoticeText().find("(スリープからの復帰に対応していません)"), std::string::npos) << d.Report();
}

// TZ=UTC in the environment (as some launchers set it) moves the C
// runtime's zone but not the system's: the timer is still due an hour after
// the system's UTC now for a wake an hour ahead on the system's clock.
TEST(Win32Power, TheDueTimeIgnoresTheRuntimesZone) {
  TIME_ZONE_INFORMATION zone{};
  if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID || zone.Bias == 0)
    GTEST_SKIP() << "the system's own zone is UTC: nothing to tell apart";
  static char utcZone[] = "TZ=UTC0";
  static char japanZone[] = "TZ=JST-9";
  _putenv(utcZone);
  _tzset();
  IClock& clock = SystemClock();
  RecordingPower power;
  ScriptedPrompt prompt;
  CDebugLog log;
  CPowerControl control(power, prompt, clock, log, "");
  const int64_t before = clock.SecondsNow();
  control.WantWakeAt(LocalSecondsNow(clock) + 3600, LocalSecondsNow(clock));
  const int64_t after = clock.SecondsNow();
  _putenv(japanZone);
  _tzset();
  EXPECT_GE(power.ArmedAt(), before + 3600 - 1);
  EXPECT_LE(power.ArmedAt(), after + 3600 + 1);
}

}  // namespace
