// Kill during save: a child process saves a settings file of 1000 entries
// over and over, each save with new titles, and is killed at a random moment;
// after every kill the file must load as one complete table of one save,
// never a mix of two or a short file.
//
//   nimbra_kill_save_test [kills [seed]]   (default 500 kills, seed from the clock)
// make test runs a short form; make kill-test a long one.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <set>
#include <string>

#include "kill_save/child_process.h"
#include "platform/file.h"
#include "platform/debug_log.h"
#include "platform/profile_store.h"
#include "schedule/nimbra_doc.h"
#include "support/fakes.h"

namespace {

constexpr int kEntries = 1000;

// Titles "g<generation>-<index>" for one save.
void SetGeneration(ScheduleTable& t, long generation) {
  for (int i = 0; i < t.GetScheduleCount(); ++i)
    std::snprintf(t.GetSchedule(i)->title, kTitleSize, "g%ld-%d", generation, i);
}

FakeClock& Clock() {
  static FakeClock clock(TimeToSeconds(MakeSystemTime(2029, 1, 1, 0, 0, 0)));
  return clock;
}

CDebugLog& Log() {
  static CDebugLog log;  // off: the settings file written here does not switch it on
  return log;
}

// The child: saves generation after generation until it is killed.
int SaveForever(const std::string& path, long firstGeneration) {
  ScriptedPrompt prompt;
  CNimbraDoc doc(Clock(), prompt, Log(), path);
  doc.LoadSettings();
  if (doc.Table().GetScheduleCount() != kEntries) return 3;
  // Tells the parent that the saves begin.
  { UniqueFile ready(OpenFile(path + ".ready", "wb")); }
  for (long g = firstGeneration;; ++g) {
    SetGeneration(doc.Table(), g);
    if (!doc.SaveSettings()) return 4;
  }
}

// The generation the file holds, or -1 (with the reason) when it is not one
// whole save.
long CheckFile(const std::string& path, std::string* why) {
  const ProfileStore store = ProfileStore::Load(path);
  if (store.GetInt(kScheduleSection, "sch_num", -1) != kEntries) {
    *why = "sch_num is not " + std::to_string(kEntries);
    return -1;
  }
  ScriptedPrompt prompt;
  CNimbraDoc doc(Clock(), prompt, Log(), path);
  doc.LoadSettings();
  const ScheduleTable& t = doc.Table();
  if (t.GetScheduleCount() != kEntries) {
    *why = "loaded " + std::to_string(t.GetScheduleCount()) + " entries";
    return -1;
  }
  long generation = -1;
  for (int i = 0; i < kEntries; ++i) {
    long g = -1;
    int index = -1;
    if (std::sscanf(t.GetSchedule(i)->title, "g%ld-%d", &g, &index) != 2 || index != i ||
        (generation >= 0 && g != generation)) {
      *why = std::string("entry ") + std::to_string(i) + " is \"" + t.GetSchedule(i)->title +
             "\" in a file of generation " + std::to_string(generation);
      return -1;
    }
    generation = g;
  }
  return generation;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strncmp(argv[1], "--child=", 8) == 0)
    return SaveForever(argv[1] + 8, std::atol(argv[2]));

  const int kills = argc > 1 ? std::atoi(argv[1]) : 500;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10))
                                 : static_cast<unsigned>(std::time(nullptr));
  std::printf("kill during save: %d kills, seed %u\n", kills, seed);
  std::mt19937 random(seed);

  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("nimbra-kill-" + std::to_string(seed) + "-" +
                                                    std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  const std::string path = (dir / "Nimbra.ini").string();
  unsigned saveUs = 0;
  {
    ScriptedPrompt prompt;
    CNimbraDoc doc(Clock(), prompt, Log(), path);
    doc.LoadSettings();
    doc.Table().AllocScheduleTable(kEntries);
    doc.AppInfo().GetUserSetting().user_enable = 1;
    doc.AppInfo().GetUserSetting().item_num_max = kEntries;
    const int32_t base = TimeToSeconds(MakeSystemTime(2030, 1, 1, 0, 0, 0));
    for (int i = 0; i < kEntries; ++i) {
      SystemTime s{}, e{};
      SecondsToTime(base + i * 7200, &s);
      SecondsToTime(base + i * 7200 + 3600, &e);
      doc.Table().InsertSchedule(i, s, e, "");
    }
    SetGeneration(doc.Table(), 0);
    if (!doc.SaveSettings()) {
      std::printf("cannot write %s\n", path.c_str());
      return 1;
    }
    // The kills fall within the first three saves after the child is ready.
    const auto t0 = std::chrono::steady_clock::now();
    (void)doc.SaveSettings();
    saveUs = static_cast<unsigned>(std::chrono::duration_cast<std::chrono::microseconds>(
                                       std::chrono::steady_clock::now() - t0)
                                       .count());
  }

  std::printf("one save takes about %u us\n", saveUs);
  std::uniform_int_distribution<unsigned> delay(0, 3 * saveUs);
  const std::string ready = path + ".ready";
  long last = 0, advanced = 0, leftovers = 0;
  for (int k = 0; k < kills; ++k) {
    ChildProcess child;
    if (!child.Start("--child=" + path, std::to_string(last + 1))) {
      std::printf("cannot start the child (error %lu)\n", child.LastError());
      return 1;
    }
    for (int wait = 0; wait < 20000 && !FileExists(ready); ++wait) SleepMicroseconds(500);
    SleepMicroseconds(delay(random));
    child.Kill();
    RemoveFile(ready);
    std::string why;
    const long g = CheckFile(path, &why);
    if (g < 0) {
      std::printf("FAILED after kill %d (seed %u): %s\n", k + 1, seed, why.c_str());
      return 1;
    }
    if (g != last) ++advanced;
    last = std::max(last, g);
    // A kill in the middle of a write leaves its temporary file behind.
    for (const auto& f : fs::directory_iterator(dir))
      if (f.path().filename() != "Nimbra.ini" && f.path().string() != ready) {
        ++leftovers;
        fs::remove(f.path());
      }
  }
  std::printf("kill during save: %d kills, every file whole; %ld kills after at least one "
              "completed save (last generation %ld), %ld kills left a temporary file behind\n",
              kills, advanced, last, leftovers);
  fs::remove_all(dir);
  return 0;
}
