#pragma once
// Journal files for the benchmarks, written to the temporary folder.
#include <cstdint>
#include <string>

#include "engine/journal.h"
#include "platform/file.h"
#include "platform/program_path.h"
#include "schedule/time_rules.h"

// A journal of n windows two hours apart, each woken by the timer, every
// tenth one late and every twentieth one missed.
inline std::string BenchJournalFile(int n) {
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
