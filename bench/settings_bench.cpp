// Loading and saving the settings file with many schedules: one parse per
// load and one write per save, so both grow linearly with the entries.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench_settings.h"
#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/profile_store.h"
#include "platform/program_path.h"
#include "platform/prompt.h"
#include "schedule/nimbra_doc.h"
#include "schedule/time_rules.h"

namespace {

class QuietPrompt final : public IPrompt {
 public:
  PromptAnswer Show(const std::string&, const std::string&, PromptButtons) override {
    return PromptAnswer::kOk;
  }
};

void BM_LoadSettings(benchmark::State& state) {
  const std::string path = BenchSettingsFile("settings-bench", static_cast<int>(state.range(0)));
  QuietPrompt prompt;
  CDebugLog log;
  CNimbraDoc doc(SystemClock(), prompt, log, path);
  for (auto _ : state) {
    doc.LoadSettings();
    benchmark::DoNotOptimize(doc.Table().GetScheduleCount());
  }
  state.SetComplexityN(state.range(0));
  RemoveFile(path);
}
BENCHMARK(BM_LoadSettings)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_SaveSettings(benchmark::State& state) {
  const std::string path = BenchSettingsFile("settings-bench", static_cast<int>(state.range(0)));
  QuietPrompt prompt;
  CDebugLog log;
  CNimbraDoc doc(SystemClock(), prompt, log, path);
  doc.LoadSettings();
  for (auto _ : state) {
    if (!doc.SaveSettings()) state.SkipWithError("save failed");
  }
  state.SetComplexityN(state.range(0));
  RemoveFile(path);
}
BENCHMARK(BM_SaveSettings)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

namespace {

void BM_ParseSettings(benchmark::State& state) {
  const std::string text = BenchSettingsText(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const ProfileStore store = ProfileStore::Parse(text);
    benchmark::DoNotOptimize(ReadStoredCount(store));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseSettings)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace
