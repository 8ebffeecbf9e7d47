// The table against the plan: what the user entered and what became of it,
// checked against the program's table and the settings file.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/profile_store.h"
#include "platform/text.h"
#include "schedule/settings_file.h"
#include "schedule/time_rules.h"
#include "sim/world.h"

namespace sim {

void Simulation::AddPlanned(const ScheduleEntry& entry) {
  Planned p;
  p.entry = entry;
  p.key = EntryKey(entry);
  const int index = static_cast<int>(planned_.size());
  for (const Span& s : Occurrences(entry, endMs_ / kSecond)) {
    if (s.start * kSecond < clock_.Ms() || s.end * kSecond > endMs_) continue;
    due_.push_back({s.start * kSecond, s.end * kSecond, index});
    p.lastStartMs = s.start * kSecond;
  }
  planned_.push_back(p);
}

int Simulation::PlannedOf(const std::string& key) const {
  for (size_t k = 0; k < planned_.size(); ++k)
    if (planned_[k].live && planned_[k].key == key) return static_cast<int>(k);
  return -1;
}

namespace {

// Each entry of a settings file as an occurrence key; none when the file
// cannot stand for a table (missing, or a count its keys do not bear out).
std::optional<std::vector<std::string>> FileEntries(const std::string& path) {
  if (!FileExists(path)) return std::nullopt;
  const ProfileStore store = ProfileStore::Load(path);
  const SettingsTable<StoredEntryCount>& count = StoredEntryCount::Fields();
  if (!store.HasKey(count.section, count.rows[0].key)) return std::nullopt;
  StoredEntryCount n;
  LoadFields(store, count, n);
  if (n.sch_num < 0) return std::nullopt;
  std::vector<std::string> out;
  for (int32_t i = 0; i < n.sch_num; ++i) {
    // A count the file does not bear out: an entry without its start or end.
    for (const SettingsField<StoredEntry>& f : StoredEntry::Fields()) {
      const bool needed = f.number == &StoredEntry::start || f.number == &StoredEntry::end;
      if (needed && !store.HasKey(kScheduleSection, FieldKey(f.key, i))) return std::nullopt;
    }
    StoredEntry stored;
    LoadFields(store, StoredEntry::Fields(), stored, i);
    ScheduleEntry e{};
    SecondsToTime(stored.start, &e.s);
    SecondsToTime(stored.end, &e.e);
    CopyTitle(e.title, stored.title.c_str());
    e.loop = stored.loopF;
    e.loop_meth = stored.loopMeth;
    e.b_way = stored.bWday;
    e.kikan_f = stored.kikanF;
    SecondsToTime(stored.kikanE, &e.kikan_e);
    out.push_back(OccurrenceKey(e));
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

void Simulation::CheckSettingsFile() {
  const auto entries = FileEntries(settingsPath_);
  if (!entries) {
    ++report_.loadFailures;
    std::fprintf(stderr, "simulation: the settings file does not load at %s\n",
                 Stamp(clock_.LocalNow()).c_str());
  }
}

void Simulation::NoteUnsavedAtKill() {
  const auto file = FileEntries(settingsPath_);
  std::vector<std::string> table;
  const ScheduleTable& t = doc_->Table();
  for (int i = 0; i < t.GetScheduleCount(); ++i) table.push_back(OccurrenceKey(*t.GetSchedule(i)));
  std::sort(table.begin(), table.end());
  bool same = file && *file == table;
  if (file && !same) {
    // Loading moves on what ended since just as the running program did:
    // what a load gives back is not lost.
    ScriptedPrompt quiet;
    CDebugLog quietLog;
    CNimbraDoc reloaded(clock_, quiet, quietLog, settingsPath_);
    reloaded.LoadSettings();
    std::vector<std::string> again;
    for (int i = 0; i < reloaded.Table().GetScheduleCount(); ++i)
      again.push_back(OccurrenceKey(*reloaded.Table().GetSchedule(i)));
    std::sort(again.begin(), again.end());
    same = again == table;
  }
  if (same) {
    blockedSinceMatch_ = saveBlocks_ > 0;
    return;
  }
  if (!blockedSinceMatch_ && saveBlocks_ == 0) {
    ++report_.unsavedAtKill;
    Trace("killed with unsaved changes");
    if (config_.trace) {
      for (const std::string& k : table) Trace("  table %s", SjisToUtf8(k).c_str());
      if (file)
        for (const std::string& k : *file) Trace("  file  %s", SjisToUtf8(k).c_str());
    }
    return;
  }
  // What the failed saves could not keep goes with the process.
  std::set<std::string> kept;
  if (file)
    for (const std::string& k : *file) kept.insert(k.substr(0, k.rfind('@')));
  for (int i = 0; i < t.GetScheduleCount(); ++i) {
    const std::string key = EntryKey(*t.GetSchedule(i));
    const int p = PlannedOf(key);
    if (p >= 0 && !kept.count(key)) {
      planned_[static_cast<size_t>(p)].lostWithSave = true;
    }
  }
}

void Simulation::NoteSkipped(int planned, const ScheduleEntry& current) {
  const int64_t now = clock_.Ms();
  // A finished series has skipped every occurrence still ahead.
  const int64_t currentStart =
      current.state == kStateFinished ? kNever : TimeToSeconds(current.s) * kSecond;
  const ScheduleTable& t = doc_->Table();
  bool skipped = false;
  for (Due& w : due_) {
    if (w.planned != planned || w.gaveWay || w.start <= now || w.start >= currentStart) continue;
    // A later occurrence than the entry now stands at, still ahead: skipped.
    // Only a clash with another entry is a reason; any other skip stays due
    // and shows as missed.
    for (int i = 0; i < t.GetScheduleCount(); ++i) {
      const ScheduleEntry& e = *t.GetSchedule(i);
      if (&e == &current || e.state == kStateFinished) continue;
      if (t.StartSeconds(i) * kSecond <= w.end && w.start <= t.EndSeconds(i) * kSecond) {
        w.gaveWay = true;
        skipped = true;
        Note(report_.events, "occurrences skipped for an entry over them");
        break;
      }
    }
  }
  if (!skipped) return;
  // Its last window is now the last one not skipped.
  Planned& p = planned_[static_cast<size_t>(planned)];
  p.lastStartMs = 0;
  for (const Due& w : due_)
    if (w.planned == planned && !w.gaveWay) p.lastStartMs = std::max(p.lastStartMs, w.start);
}

void Simulation::CheckEntries(bool atLoad) {
  if (!doc_) return;
  const ScheduleTable& t = doc_->Table();
  std::map<std::string, std::vector<const ScheduleEntry*>> inTable;
  for (int i = 0; i < t.GetScheduleCount(); ++i)
    inTable[EntryKey(*t.GetSchedule(i))].push_back(t.GetSchedule(i));
  const int64_t now = clock_.Ms();
  for (Planned& p : planned_) {
    if (!p.live) continue;
    const auto it = inTable.find(p.key);
    const size_t n = it == inTable.end() ? 0 : it->second.size();
    if (n == 0 && p.lostAt == kNever) {
      p.lostAt = now;
      ++(p.lostWithSave ? report_.entriesLostWithSave : report_.entriesLost);
      if (!p.lostWithSave)
        std::fprintf(stderr, "simulation: entry lost at %s: %s\n", Stamp(clock_.LocalNow()).c_str(),
                     SjisToUtf8(p.key).c_str());
    }
    if (n > 1 && !p.duplicated) {
      p.duplicated = true;
      ++report_.entriesDuplicated;
    }
    if (n >= 1 && p.entry.loop) NoteSkipped(static_cast<int>(&p - planned_.data()), *it->second.front());
    if (n >= 1 && p.entry.loop && p.stoppedAt == kNever &&
        it->second.front()->state == kStateFinished && p.lastStartMs > now) {
      // Finished although the plan has windows ahead for it.
      const int64_t next = TimeToSeconds(it->second.front()->s) * kSecond;
      if (next < p.lastStartMs) {
        p.stoppedAt = now;
        p.stoppedAtLoad = atLoad;
        ++report_.entriesStoppedEarly;
        std::fprintf(stderr, "simulation: repeating entry finished early at %s: %s\n",
                     Stamp(clock_.LocalNow()).c_str(), SjisToUtf8(p.key).c_str());
      }
    }
  }
}

}  // namespace sim
