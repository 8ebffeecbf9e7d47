// Loading and saving the settings file with many schedules: one parse per
// load and one write per save, so both grow linearly with the entries.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "platform/clock.h"
#include "platform/file.h"
#include "platform/program_path.h"
#include "platform/prompt.h"
#include "schedule/nimbra_doc.h"
#include "schedule/profile_store.h"
#include "schedule/time_rules.h"

namespace {

class QuietPrompt final : public IPrompt {
 public:
  PromptAnswer Show(const std::string&, const std::string&, PromptButtons) override {
    return PromptAnswer::Ok;
  }
};

std::string MakeSettings(int entries) {
  std::string text = "[APP_MNG_INFO]\r\nuser_enable=1\r\nitem_num_max=" + std::to_string(entries) +
                     "\r\n[TV_REC_SCHEDULE]\r\nsch_num=" + std::to_string(entries) + "\r\n";
  const int32_t base = TimeToSeconds(MakeSystemTime(2030, 1, 1, 0, 0, 0));
  for (int i = 0; i < entries; ++i) {
    const std::string n = std::to_string(i);
    const int32_t s = base + i * 7200;
    text += "sch_title[" + n + "]=\x83\x65\x83\x58\x83\x67 " + n + "\r\n";
    text += "sch_start[" + n + "]=" + std::to_string(s) + "\r\n";
    text += "sch_end[" + n + "]=" + std::to_string(s + 3600) + "\r\n";
    for (const char* k : {"sch_loop_f", "sch_loop_meth", "sch_b_wday", "sch_kikan_f",
                          "sch_kikan_s", "sch_kikan_e"})
      text += std::string(k) + "[" + n + "]=0\r\n";
  }
  return text;
}

std::string BenchFile(int entries) {
  const std::string path =
      JoinPath(TempDirectory(), "nimbra-bench-" + std::to_string(entries) + ".ini");
  const std::string text = MakeSettings(entries);
  if (!WriteFileAtomically(path, text)) std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return path;
}

void BM_LoadSettings(benchmark::State& state) {
  const std::string path = BenchFile(static_cast<int>(state.range(0)));
  QuietPrompt prompt;
  CNimbraDoc doc(SystemClock(), prompt, path);
  for (auto _ : state) {
    doc.LoadSettings();
    benchmark::DoNotOptimize(doc.Table().GetScheduleCount());
  }
  state.SetComplexityN(state.range(0));
  RemoveFile(path);
}
BENCHMARK(BM_LoadSettings)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_SaveSettings(benchmark::State& state) {
  const std::string path = BenchFile(static_cast<int>(state.range(0)));
  QuietPrompt prompt;
  CNimbraDoc doc(SystemClock(), prompt, path);
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
  const std::string text = MakeSettings(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const ProfileStore store = ProfileStore::Parse(text);
    benchmark::DoNotOptimize(store.GetInt("TV_REC_SCHEDULE", "sch_num", 0));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseSettings)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace
