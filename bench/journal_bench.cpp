// What the journal window (実行履歴) does before it shows: read the journal,
// put its events together into windows, judge each and make its texts, for
// 5000 windows (more than the journal keeps). The window shows this many
// rows at once, so all of it must take well under a fifth of a second.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_settings.h"
#include "engine/journal.h"
#include "engine/journal_verdict.h"
#include "platform/file.h"
#include "platform/program_path.h"
#include "schedule/time_rules.h"

namespace {

// A journal of n windows two hours apart, each woken by the timer, every
// tenth one late and every twentieth one missed.
std::string JournalOf(int n) {
  const std::string path = JoinPath(TempDirectory(), "nimbra-journal-bench.txt");
  const int64_t base = TimeToSeconds(MakeSystemTime(2030, 1, 1, 21, 0, 0));
  std::string bytes;
  auto line = [&](JournalKind kind, int64_t at, int code, int64_t from, int64_t to,
                  const std::string& title) {
    JournalEvent e;
    e.kind = kind;
    e.at = at;
    e.code = code;
    e.from = from;
    e.to = to;
    e.title = title;
    bytes += FormatJournalLine(e) + '\n';
  };
  for (int i = 0; i < n; ++i) {
    const int64_t s = base + int64_t{i} * 7200, e = s + 3600;
    const std::string title = "番組 " + std::to_string(i);
    if (i % 20 == 19) {
      line(JournalKind::kMissed, e + 60, 1, s, e, title);
      continue;
    }
    line(JournalKind::kSleep, s - 3000, 1, 0, 0, "");
    line(JournalKind::kResume, s - 60 + (i % 10 == 9 ? 90 : 0), 1, 0, 0, "");
    line(JournalKind::kWindow, s + (i % 10 == 9 ? 30 : 0), 1, s, e, title);
    line(JournalKind::kWindowEnd, e, 3, s, e, title);
  }
  (void)WriteFileAtomically(path, bytes);
  return path;
}

void BM_JournalWindowRows(benchmark::State& state) {
  const CJournalFile file(JournalOf(static_cast<int>(state.range(0))));
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
