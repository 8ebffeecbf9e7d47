// Any settings file loads into a table that is ordered with separated
// windows, within its capacity, with every entry's times valid; the load
// reads no more entries than the file holds, and saving then loading again
// gives the same table.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/debug_log.h"
#include "platform/file.h"
#include "schedule/nimbra_doc.h"
#include "support/fakes.h"

namespace {

const std::string& Path() {
  static const std::string path =
      TempDirectory() + "/nimbra-fuzz-settings-" + std::to_string(getpid()) + ".ini";
  return path;
}

void CheckTable(const ScheduleTable& t, size_t fileSize) {
  const int n = t.GetScheduleCount();
  if (n < 0 || n > t.GetCapacity()) std::abort();
  if (static_cast<size_t>(n) > fileSize / 8) std::abort();  // "x[0]=1\n" is the least an entry takes
  for (int i = 0; i + 1 < n; ++i)
    if (!(t.EndSeconds(i) < t.StartSeconds(i + 1))) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (!WriteFileAtomically(Path(), text)) std::abort();
  FakeClock clock(TimeToSeconds(MakeSystemTime(2027, 1, 10, 12, 0, 0)));
  ScriptedPrompt prompt;
  CDebugLog log(Path() + ".log");  // off unless the input switches it on
  std::vector<ScheduleEntry> first;
  {
    CNimbraDoc doc(clock, prompt, log, Path());
    doc.LoadSettings();
    CheckTable(doc.Table(), size);
    for (int i = 0; i < doc.Table().GetScheduleCount(); ++i)
      first.push_back(*doc.Table().GetSchedule(i));
    if (!doc.SaveSettings()) std::abort();
  }
  ScriptedPrompt again;
  CNimbraDoc doc(clock, again, log, Path());
  doc.LoadSettings();
  CheckTable(doc.Table(), size + 4096);
  if (doc.Table().GetScheduleCount() != static_cast<int>(first.size())) std::abort();
  for (size_t i = 0; i < first.size(); ++i) {
    const ScheduleEntry& a = first[i];
    const ScheduleEntry& b = *doc.Table().GetSchedule(static_cast<int>(i));
    if (std::memcmp(&a.s, &b.s, sizeof a.s) != 0 || std::memcmp(&a.e, &b.e, sizeof a.e) != 0 ||
        std::strcmp(a.title, b.title) != 0 || a.loop != b.loop || a.loop_meth != b.loop_meth ||
        a.b_way != b.b_way || a.kikan_f != b.kikan_f)
      std::abort();
  }
  return 0;
}
