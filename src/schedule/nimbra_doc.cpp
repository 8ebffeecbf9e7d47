#include "schedule/nimbra_doc.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/profile_store.h"
#include "platform/prompt.h"
#include "platform/shared_settings.h"
#include "schedule/table_queries.h"
#include "schedule/time_rules.h"

namespace {

// How many occurrences a repeating entry may move on by at once.
constexpr int kMaxRollOnSteps = 4000;

constexpr int kMinIntervalMinutes = 2;

}  // namespace

CNimbraDoc::CNimbraDoc(IClock& clock, IPrompt& prompt, CDebugLog& log, std::string settingsPath)
    : clock_(clock), prompt_(prompt), log_(log), file_(clock, log, std::move(settingsPath)) {
  listingsUrl_[0] = '\0';
}

void CNimbraDoc::SetReadRetry(int attempts, std::function<void()> pause) {
  file_.SetReadRetry(attempts, std::move(pause));
}

CNimbraDoc::~CNimbraDoc() = default;

bool CNimbraDoc::SetListingsUrl(const std::string& url) {
  if (url.size() >= kPathSize) return false;
  std::memcpy(listingsUrl_, url.c_str(), url.size() + 1);
  return true;
}

void CNimbraDoc::ShowMessage(const std::string& utf8Text) {
  prompt_.Show(utf8Text, kAppTitle, PromptButtons::kOk);
}

std::string AddRefusalText(AddRefusal why) {
  switch (why) {
    case AddRefusal::kInvalid:
      return "設定した値のエラー。開始より終了が早い、または値が不正";
    case AddRefusal::kTooShort: {
      char text[128];
      std::snprintf(text, sizeof text, "開始と終了の間隔を%d分以上で設定してください",
                    kMinIntervalMinutes);
      return text;
    }
    case AddRefusal::kOverlap:
      return "既存のスケジュールと重なっています";
    case AddRefusal::kFull:
      return "登録最大数を超えました。";
    case AddRefusal::kTooLate:
      return kTimeTooLateText;
    case AddRefusal::kNone:
      break;
  }
  return "";
}

AddRefusal CNimbraDoc::TryAddSchedule(const ScheduleEntry& entry, int* index) {
  *index = -1;
  const int year = clock_.LocalNow().wYear;
  // A time past what the stored seconds hold would convert to -1 and pass or
  // fail the checks below for the wrong reason.
  if (IsValidDateTime(entry.s, year) && IsValidDateTime(entry.e, year) &&
      (!IsRepresentableTime(entry.s) || !IsRepresentableTime(entry.e)))
    return AddRefusal::kTooLate;
  if (!IsValidOrder(entry.s, entry.e, year)) return AddRefusal::kInvalid;
  if (!HasMinInterval(entry.s, entry.e, kMinIntervalMinutes)) return AddRefusal::kTooShort;
  const int at = FindInsertPos(table_, entry);
  if (at == -1) return AddRefusal::kOverlap;
  *index = at;
  ScheduleEntry* slot = table_.InsertScheduleEntry(at, entry);
  if (!slot) return AddRefusal::kFull;
  // A new entry carries the state its caller gives it (waiting for a new
  // one, the old state for an entry put back).
  slot->state = entry.state;
  return AddRefusal::kNone;
}

int CNimbraDoc::AddSchedule(const ScheduleEntry& entry) {
  int index = -1;
  const AddRefusal why = TryAddSchedule(entry, &index);
  if (why == AddRefusal::kNone) return index;
  ShowMessage(AddRefusalText(why));
  return why == AddRefusal::kFull ? index : -1;
}

ScheduleEntry& CNimbraDoc::NextOccurrence(ScheduleEntry& entry) { return ::NextOccurrence(entry); }

void CNimbraDoc::LoadSettings() {
  const ProfileStore store = file_.Read([this](ProfileStore& defaults) {
    LoadSettingsFrom(ProfileStore());
    SaveSettingsTo(defaults);
  });
  LoadSettingsFrom(store);
  const std::string notice = file_.ReadNotice();
  if (!notice.empty()) ShowMessage(notice);
}

void CNimbraDoc::LoadSettingsFrom(const ProfileStore& store) {
  log_.SetLevel(LoadDebugLevel(store));
  LoadAppSettings(store, appInfo_);
  LoadFields(store, NotifySettings::Fields(), notify_, -1);
  table_.AllocScheduleTable(appInfo_.GetUserSetting().item_num_max);
  surplus_.clear();
  endedAtLoad_.clear();

  // The same "now" as the scheduler's tick: an entry loads waiting, running
  // or finished exactly as the tick would see it.
  const int64_t now = LocalSecondsNow(clock_);
  bool toldFull = false;
  std::vector<StoredEntry> aside;  // overlapping an entry read before them
  for (const StoredEntry& stored : ReadStoredEntries(store)) {
    if (table_.GetScheduleCount() >= table_.GetCapacity()) {
      // Entries beyond the capacity stay stored as they were read and are
      // written back after the table's own, so a larger capacity brings them back.
      if (!toldFull) {
        ShowMessage("登録最大数を超えました。");
        toldFull = true;
      }
      surplus_.push_back(stored);
      continue;
    }
    if (!PlaceStoredEntry(stored, now)) aside.push_back(stored);
  }
  RollOnEndedRepeats(now);
  // A repeat moved on to its next occurrence may have freed the window of an
  // entry kept aside: it takes its place now, as it would at the next start
  // (where the moved-on repeat is read first), so a load of what was saved
  // gives the same table.
  for (bool placed = true; placed && !aside.empty();) {
    placed = false;
    for (auto it = aside.begin(); it != aside.end();) {
      if (table_.GetScheduleCount() < table_.GetCapacity() && PlaceStoredEntry(*it, now)) {
        it = aside.erase(it);
        placed = true;
      } else {
        ++it;
      }
    }
    if (placed) RollOnEndedRepeats(now);
  }
  // One whose window still overlaps is kept like the surplus above and
  // written back, and the user is told.
  std::string overlapping;  // one line each
  for (const StoredEntry& stored : aside) {
    SystemTime s{};
    if (!SecondsToTime(stored.start, &s) && !SecondsToTime(stored.end, &s)) SecondsToTime(0, &s);
    char when[40];
    std::snprintf(when, sizeof when, "%04d/%02d/%02d %02d:%02d", s.wYear, s.wMonth, s.wDay, s.wHour,
                  s.wMinute);
    overlapping += "\n・" + SjisToUtf8(stored.title) + "（" + when + " 開始）";
    surplus_.push_back(stored);
  }
  if (!overlapping.empty())
    ShowMessage("次のスケジュールは既存のスケジュールと重なっているため、予約に入れていません。"
                "設定ファイルには残してあります（重なっている予約を削除して起動し直すと、"
                "予約に入ります）。" +
                overlapping);

  const char* url = GetSiteUrl(appInfo_.GetTvId());
  (void)SetListingsUrl(url ? url : "");
}

bool CNimbraDoc::PlaceStoredEntry(const StoredEntry& stored, int64_t now) {
  SystemTime s{}, e{};
  const bool startOk = SecondsToTime(stored.start, &s);
  const bool endOk = SecondsToTime(stored.end, &e);
  // A time that cannot be converted (only a hand-edited file has one) takes
  // the other one, or 1970-01-01, so the entry shows, is finished and can
  // be deleted.
  if (!startOk && !endOk) {
    SecondsToTime(0, &s);
    e = s;
  } else if (!startOk) {
    s = e;
  } else if (!endOk) {
    e = s;
  }
  // An end before the start (only a hand-edited file has one) would break
  // the table's order: it takes the start, and the entry is finished.
  const bool inverted = startOk && endOk && stored.end < stored.start;
  if (inverted) e = s;
  // Entries go to their sorted place, so a hand-edited file out of order
  // still gives the ordered table that the tick and the checked add rely
  // on (a saved file is in order: each entry then simply goes last).
  const int count = table_.GetScheduleCount();
  int slot = count;
  if (count > 0 && !(table_.EndSeconds(count - 1) < TimeToSeconds(s))) {
    ScheduleEntry probe{};
    probe.s = s;
    probe.e = e;
    slot = FindInsertPos(table_, probe);
  }
  if (slot < 0) return false;
  ScheduleEntry* entry = table_.InsertSchedule(slot, s, e, stored.title.c_str());
  if (!startOk || !endOk || inverted) {
    entry->state = kStateFinished;
  } else if (now < stored.start) {
    entry->state = kStateWaiting;
  } else if (now > stored.end) {
    entry->state = kStateFinished;
  } else {
    entry->state = kStateRunning;
  }
  // The period dates reuse the start and end buffers, as they always have:
  // a value that cannot be converted leaves the start (or end) there.
  SecondsToTime(stored.kikanS, &s);
  SecondsToTime(stored.kikanE, &e);
  SetRepeatFields(entry, stored.loopF, stored.loopMeth, stored.bWday, stored.kikanF, s, e);
  return true;
}

int CNimbraDoc::SkipClashingOccurrences(ScheduleEntry& entry) const {
  int slot = entry.state == kStateFinished ? -1 : FindInsertPos(table_, entry);
  for (int step = 0; step < kMaxRollOnSteps && slot < 0 && entry.state != kStateFinished; ++step) {
    ::NextOccurrence(entry);
    slot = entry.state == kStateFinished ? -1 : FindInsertPos(table_, entry);
  }
  return slot;
}

void CNimbraDoc::RollOnEndedRepeats(int64_t now) {
  // A repeating entry whose occurrence ended while the program was not
  // running moves on to its next occurrence, as the tick would have moved
  // it; left finished, the whole series would never run again. This runs
  // once every stored entry has its place, so a moved-on occurrence never
  // pushes out an entry the user made: it goes on to the first occurrence
  // that overlaps nothing.
  std::vector<ScheduleEntry> ended;
  for (int i = 0; i < table_.GetScheduleCount(); ++i) {
    const ScheduleEntry& cur = *table_.GetSchedule(i);
    if (cur.state == kStateFinished && cur.loop && table_.StartSeconds(i) < table_.EndSeconds(i) &&
        table_.EndSeconds(i) < now)
      ended.push_back(cur);
  }
  for (const ScheduleEntry& old : ended) {
    ScheduleEntry next = old;
    next.state = kStateWaiting;
    // Bounded: years of missed days take fewer steps than this.
    for (int step = 0; step < kMaxRollOnSteps && next.state != kStateFinished &&
                       TimeToSeconds(next.e) <= now;
         ++step) {
      endedAtLoad_.push_back(next);
      ::NextOccurrence(next);
    }
    if (next.state == kStateFinished || TimeToSeconds(next.e) <= now) continue;
    int at = -1;
    for (int i = 0; i < table_.GetScheduleCount() && at < 0; ++i)
      if (std::memcmp(table_.GetSchedule(i), &old, sizeof old) == 0) at = i;
    if (at < 0) continue;
    table_.DeleteSchedule(at);
    const int slot = SkipClashingOccurrences(next);
    if (slot < 0) {
      if (ScheduleEntry* back = table_.InsertScheduleEntry(at, old)) back->state = kStateFinished;
      continue;
    }
    if (ScheduleEntry* placed = table_.InsertScheduleEntry(slot, next))
      placed->state = TimeToSeconds(next.s) <= now ? kStateRunning : kStateWaiting;
  }
}

bool CNimbraDoc::SaveSettings() {
  const bool saved = file_.Write([this](ProfileStore& store) { SaveSettingsTo(store); });
  // A file changed by another program is told once, through the prompt:
  // inside the tick that is the notice board, which shows it afterwards.
  const std::string notice = file_.TakeWriteNotice();
  if (!notice.empty()) ShowMessage(notice);
  return saved;
}

void CNimbraDoc::SaveSettingsTo(ProfileStore& store) const {
  SaveAppSettings(store, appInfo_);
  const int count = table_.GetScheduleCount();
  WriteStoredCount(store, count + static_cast<int>(surplus_.size()));
  for (int i = 0; i < count; ++i) WriteStoredEntry(store, i, StoredEntry::From(*table_.GetSchedule(i)));
  for (size_t k = 0; k < surplus_.size(); ++k)
    WriteStoredEntry(store, count + static_cast<int>(k), surplus_[k]);
  SaveAssociations(store, appInfo_);
  SaveFields(store, NotifySettings::Fields(), notify_, -1);
}
