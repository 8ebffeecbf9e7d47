// One scheduler tick with 10, 100 and 1000 schedules. The tick runs five
// times a second for as long as the PC is on, so it must stay a cheap linear
// scan of the table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench_settings.h"
#include "engine/countdown.h"
#include "engine/power_control.h"
#include "engine/scheduler.h"
#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/program_path.h"
#include "platform/recording_power.h"
#include "schedule/nimbra_doc.h"
#include "schedule/time_rules.h"
#include "support/fakes.h"

namespace {

class NoView final : public IScheduleView {
 public:
  void RefreshList() override {}
  void SetTimer(unsigned, unsigned) override {}
  void KillTimer(unsigned) override {}
  void ImportCommandLineFile() override {}
};

class NoPlugin final : public IPluginRunner {
 public:
  void RunPlugin(const char*, const ScheduleEntry&) override {}
};

class NoWindows final : public ICountdownWindowFactory {
 public:
  std::unique_ptr<ICountdownWindow> CreateCountdownWindow(CCountdown&) override { return nullptr; }
};

// The common tick: the clock in a schedule's window (or before one), no end
// second, so the tick only finds the current schedule and compares.
void BM_Tick(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const std::string path = BenchSettingsFile("tick-bench", entries);
  {
    FakeClock clock(TimeToSeconds(MakeSystemTime(2029, 12, 31, 0, 0, 0)));
    ScriptedPrompt prompt;
    RecordingPower power;
    CDebugLog log;
    CNimbraDoc doc(clock, prompt, log, path);
    doc.LoadSettings();
    NoView view;
    NoPlugin plugin;
    NoWindows windows;
    CPowerControl control(power, prompt, clock, log, "tz_wakeup_timer");
    CScheduler sched(doc, view, plugin, control, windows, CoreServices{clock, prompt, log});
    clock.SetLocal(MakeSystemTime(2030, 1, 1, 0, 30, 0));  // inside the first schedule
    for (auto _ : state) {
      sched.Tick();
      benchmark::DoNotOptimize(doc.Table().GetSchedule(0)->state);
    }
    state.SetComplexityN(entries);
  }
  RemoveFile(path);
}
BENCHMARK(BM_Tick)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond)->Complexity();

}  // namespace
