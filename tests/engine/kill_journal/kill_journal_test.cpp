// Kill while journalling: a child process appends window after window to the
// journal and is killed at a random moment, again and again; after every kill
// the journal must read as every window the children wrote, in order, with
// nothing but a torn last line lost, and the next child writes on after it.
//
//   nimbra_kill_journal_test [kills [seed]]   (default 500 kills, seed from the clock)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>

#include "engine/journal.h"
#include "kill_save/child_process.h"
#include "platform/file.h"
#include "schedule/time_rules.h"

namespace {

const int64_t kBase = TimeToSeconds(MakeSystemTime(2030, 1, 1, 0, 0, 0));

JournalEvent Window(long n) {
  JournalEvent e;
  e.kind = JournalKind::kWindow;
  e.at = e.from = kBase + n * 60;
  e.to = e.from + 30;
  e.title = "番組 " + std::to_string(n);
  return e;
}

// The windows the journal holds must be 0, 1, 2, ... : the count, or -1.
long CheckJournal(const std::string& path, std::string* why) {
  const std::vector<JournalEvent> events = CJournalFile(path).Load();
  long n = 0;
  for (const JournalEvent& e : events) {
    const JournalEvent want = Window(n);
    if (e.kind != want.kind || e.from != want.from || e.title != want.title) {
      *why = "event " + std::to_string(n) + " is " + FormatJournalLine(e);
      return -1;
    }
    ++n;
  }
  return n;
}

int AppendForever(const std::string& path, long first) {
  CJournalFile file(path);
  { UniqueFile ready(OpenFile(path + ".ready", "wb")); }
  for (long n = first;; ++n)
    if (!file.Append(Window(n))) return 4;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strncmp(argv[1], "--child=", 8) == 0)
    return AppendForever(argv[1] + 8, std::atol(argv[2]));

  const int kills = argc > 1 ? std::atoi(argv[1]) : 500;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10))
                                 : static_cast<unsigned>(std::time(nullptr));
  std::printf("kill while journalling: %d kills, seed %u\n", kills, seed);
  std::mt19937 random(seed);
  std::uniform_int_distribution<unsigned> delay(0, 3000);

  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("nimbra-killj-" + std::to_string(seed) + "-" +
                                                    std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  const std::string path = (dir / "Nimbra-journal.txt").string();
  const std::string ready = path + ".ready";
  long held = 0, torn = 0;
  for (int k = 0; k < kills; ++k) {
    ChildProcess child;
    if (!child.Start("--child=" + path, std::to_string(held))) {
      std::printf("cannot start the child (error %lu)\n", child.LastError());
      return 1;
    }
    for (int wait = 0; wait < 20000 && !FileExists(ready); ++wait) SleepMicroseconds(500);
    SleepMicroseconds(delay(random));
    child.Kill();
    RemoveFile(ready);
    std::string why;
    const long n = CheckJournal(path, &why);
    if (n < held) {
      std::printf("FAILED after kill %d (seed %u): %s\n", k + 1, seed,
                  n < 0 ? why.c_str() : "windows were lost");
      return 1;
    }
    const std::optional<std::string> bytes = ReadFileBytes(path);
    torn += bytes && !bytes->empty() && bytes->back() != '\n';
    held = n;
  }
  std::printf("kill while journalling: %d kills, every journal whole; %ld windows written, "
              "%ld kills tore a line\n", kills, held, torn);
  fs::remove_all(dir);
  return held > 0 ? 0 : 1;
}
