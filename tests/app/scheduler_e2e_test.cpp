// The engine end to end: two schedules followed from the first start to the
// power action after the last, with the plug-in run through a real loaded
// library and the countdown run by its real worker.
#include <gtest/gtest.h>

#include <cstring>

#include "app/plugin_host.h"
#include "engine/engine_fakes.h"
#include "engine/power_control.h"
#include "engine/scheduler.h"
#include "platform/debug_log.h"
#include "platform/program_path.h"
#include "platform/recording_power.h"
#include "platform/shared_library.h"
#include "schedule/nimbra_doc.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace {

SystemTime At(int day, int hour, int minute, int second = 0) {
  SystemTime t{};
  SecondsToTime(TimeToSeconds(MakeSystemTime(2030, 5, day, hour, minute, second)), &t);
  return t;
}

TEST(SchedulerEndToEnd, FromTheFirstStartToShutdownAfterTheLast) {
  const std::string library = JoinPath(DirectoryOf(ProgramPath()), "plgtest_complete.dll");
  SharedLibrary recorder = SharedLibrary::Open(library);
  ASSERT_TRUE(recorder);
  recorder.Get<void (*)(int)>("TEST_Reset")(0);
  auto pluginLog = [&] { return std::string(recorder.Get<const char* (*)()>("TEST_Log")()); };

  ScratchDir dir;
  FakeClock clock;
  clock.SetLocal(At(10, 20, 59, 58));
  ScriptedPrompt prompt;
  RecordingPower power;
  CDebugLog debugLog;
  CNimbraDoc doc(clock, prompt, debugLog, dir.File("Nimbra.ini"));
  doc.LoadSettings();
  doc.AppInfo().GetUserSetting().sleep_flag = SleepMode::kStandby;
  doc.AppInfo().GetUserSetting().finish_act = 1;
  ScheduleEntry first{};
  first.s = At(10, 21, 0);
  first.e = At(10, 22, 0);
  std::strcpy(first.title, "first");
  ScheduleEntry second = first;
  second.s = At(11, 6, 0);
  second.e = At(11, 7, 0);
  std::strcpy(second.title, "second");
  ASSERT_EQ(doc.AddSchedule(first), 0);
  ASSERT_EQ(doc.AddSchedule(second), 1);

  FakeView view;
  FakeWindowFactory windows;
  CPluginHost host(prompt, library);
  ASSERT_STREQ(doc.AppInfo().GetWakeupTimerName(), "tz_wakeup_timer");
  CPowerControl control(power, prompt, clock, debugLog, doc.AppInfo().GetWakeupTimerName());
  CScheduler sched(doc, view, host, control, windows, CoreServices{clock, prompt, debugLog});
  sched.SetCountdownStepWait(NoWait);
  auto walkTo = [&](const SystemTime& t) {
    while (clock.SecondsNow() < TimeToSeconds(t)) {
      clock.Advance(1);
      for (int k = 0; k < 5; ++k) sched.OnTimer(CScheduler::kTickTimer);
    }
  };

  walkTo(At(10, 21, 0));
  EXPECT_EQ(doc.Table().GetSchedule(0)->state, kStateRunning);
  EXPECT_TRUE(power.KeepingAwake());

  walkTo(At(10, 22, 0));
  EXPECT_EQ(pluginLog(), "init;handle:smail;param:596;run;");
  EXPECT_EQ(doc.Table().GetSchedule(0)->state, kStateFinished);
  ASSERT_EQ(windows.created, 1);
  EXPECT_EQ(windows.last->Caption(), "サスペンドの準備中");
  ASSERT_EQ(windows.last->WaitEnd(), FakeCountdownWindow::End::kCompleted);
  sched.Countdown()->Finish();
  EXPECT_EQ(windows.last->Closes(), 1);

  const auto calls = power.Calls();
  std::vector<std::string> kinds;
  for (const auto& c : calls)
    if (c.what != "awake") kinds.push_back(c.what);
  // The standing timer: for the first start (its lead had begun), then from
  // the first start on a minute before the second; the end only suspends.
  EXPECT_EQ(kinds, (std::vector<std::string>{"open", "arm", "arm", "suspend"}));
  EXPECT_EQ(power.Calls("open").at(0).name, "tz_wakeup_timer");
  EXPECT_EQ(power.Calls("arm").at(0).value, TimeToSeconds(At(10, 21, 0)));
  EXPECT_EQ(power.Calls("arm").at(1).value, TimeToSeconds(At(11, 5, 59)));
  EXPECT_EQ(power.Calls("suspend").at(0).value, 0);

  // The timer wakes the PC a minute before the second schedule's start, and
  // it is kept awake from then on.
  clock.SetLocal(At(11, 5, 59, 0));
  walkTo(At(11, 5, 59, 1));
  EXPECT_TRUE(power.KeepingAwake());
  walkTo(At(11, 6, 0));
  EXPECT_EQ(doc.Table().GetSchedule(1)->state, kStateRunning);
  clock.SetLocal(At(11, 6, 59, 59));
  walkTo(At(11, 7, 0));
  ASSERT_EQ(windows.created, 2);
  EXPECT_EQ(windows.last->Caption(), "シャットダウンの準備中");
  ASSERT_EQ(windows.last->WaitEnd(), FakeCountdownWindow::End::kCompleted);
  sched.Countdown()->Finish();
  EXPECT_EQ(power.Calls("shutdown").size(), 1u);
  EXPECT_EQ(pluginLog(), "init;handle:smail;param:596;run;handle:smail;param:596;run;");
  EXPECT_TRUE(prompt.shown.empty());
}

}  // namespace
