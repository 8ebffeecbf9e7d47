// Any settings file loads into a table that is ordered with separated
// windows, within its capacity, with every entry's times valid; the load
// reads no more entries than the file holds, and saving then loading again
// gives the same table. Everything stays in memory: no file is read or
// written, so an input costs the load and the save and nothing else.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/debug_log.h"
#include "platform/profile_store.h"
#include "schedule/nimbra_doc.h"
#include "support/fakes.h"

namespace {

// No file is ever named: the documents load from and save to stores.
constexpr const char* kNoFile = "";

void CheckTable(const ScheduleTable& t, size_t fileSize) {
  const int n = t.GetScheduleCount();
  if (n < 0 || n > t.GetCapacity()) std::abort();
  if (static_cast<size_t>(n) > fileSize / 8) std::abort();  // "x[0]=1\n" is the least an entry takes
  for (int i = 0; i + 1 < n; ++i)
    if (!(t.EndSeconds(i) < t.StartSeconds(i + 1))) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ProfileStore file =
      ProfileStore::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  static FakeClock clock(TimeToSeconds(MakeSystemTime(2027, 1, 10, 12, 0, 0)));
  CDebugLog log(kNoFile);  // a log the input switches on has no file to go to
  std::vector<ScheduleEntry> first;
  ProfileStore saved = file;
  {
    ScriptedPrompt prompt;
    CNimbraDoc doc(clock, prompt, log, kNoFile);
    doc.LoadSettingsFrom(file);
    CheckTable(doc.Table(), size);
    for (int i = 0; i < doc.Table().GetScheduleCount(); ++i)
      first.push_back(*doc.Table().GetSchedule(i));
    doc.SaveSettingsTo(saved);
  }
  ScriptedPrompt again;
  CNimbraDoc doc(clock, again, log, kNoFile);
  doc.LoadSettingsFrom(ProfileStore::Parse(saved.Serialize()));
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
