// What the journal window (実行履歴) does before it shows: read the journal,
// put its events together into windows, judge each and make its texts, for
// 5000 windows (more than the journal keeps). The window shows this many
// rows at once, so all of it must take well under a fifth of a second.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_journal.h"
#include "engine/journal.h"
#include "engine/journal_verdict.h"
#include "platform/file.h"

namespace {

void BM_JournalWindowRows(benchmark::State& state) {
  const CJournalFile file(BenchJournalFile(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    const std::vector<JournalWindow> windows = AssembleWindows(file.Load());
    size_t chars = 0;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
      const JournalVerdict v = JudgeWindow(*it);
      chars += VerdictText(v).size() + WakeText(*it).size() + EndText(*it).size() +
               JournalStamp(it->start).size();
    }
    chars += JournalCsv(windows).size();
    benchmark::DoNotOptimize(chars);
  }
  RemoveFile(file.Path());
}
BENCHMARK(BM_JournalWindowRows)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
