#include "schedule/nimbra_doc.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/profile_store.h"
#include "platform/prompt.h"
#include "platform/sjis_texts.h"
#include "platform/text.h"
#include "schedule/table_queries.h"
#include "schedule/time_rules.h"

namespace {

// How many occurrences a repeating entry may move on by at once.
constexpr int kMaxRollOnSteps = 4000;

constexpr int kMinIntervalMinutes = 2;
constexpr const char* kTitleKey = "sch_title[%d]";

std::string Key(const char* templ, int index) {
  char buf[64];
  std::snprintf(buf, sizeof buf, templ, index);
  return buf;
}

// The name of a key template before its "[index]" ("sch_start" of "sch_start[%d]").
std::string_view TemplateName(const char* templ) {
  const std::string_view t(templ);
  return t.substr(0, t.find('['));
}

// Splits an indexed key ("sch_start[12]", spelled as the loader looks it up:
// decimal without sign or leading zeros) into its name and index; -1 for a
// key of any other form.
int32_t SplitIndexedKey(std::string_view key, std::string_view* name) {
  const size_t open = key.find('[');
  if (open == std::string_view::npos || key.size() < open + 3 || key.back() != ']') return -1;
  const std::string_view digits = key.substr(open + 1, key.size() - open - 2);
  if (digits.size() > 10 || (digits.size() > 1 && digits.front() == '0')) return -1;
  int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  if (value > INT32_MAX) return -1;
  *name = key.substr(0, open);
  return static_cast<int32_t>(value);
}

}  // namespace

CNimbraDoc::CNimbraDoc(IClock& clock, IPrompt& prompt, CDebugLog& log, std::string settingsPath)
    : clock_(clock), prompt_(prompt), log_(log), settingsPath_(std::move(settingsPath)) {
  listingsUrl_[0] = '\0';
  // A backup tool or an editor lets go of the file within moments: a few
  // seconds of tries at start-up, before any window or tick exists.
  readPause_ = [] { std::this_thread::sleep_for(std::chrono::milliseconds(250)); };
}

void CNimbraDoc::SetReadRetry(int attempts, std::function<void()> pause) {
  readAttempts_ = std::max(1, attempts);
  readPause_ = std::move(pause);
}

std::string CNimbraDoc::PendingSettingsPath() const {
  const std::string_view ext = ".ini";
  if (settingsPath_.size() > ext.size() && EndsWithIgnoringAsciiCase(settingsPath_, ext))
    return settingsPath_.substr(0, settingsPath_.size() - ext.size()) + "-unsaved.ini";
  return settingsPath_ + "-unsaved.ini";
}

CNimbraDoc::~CNimbraDoc() = default;

bool CNimbraDoc::SetListingsUrl(const std::string& url) {
  if (url.size() >= kPathSize) return false;
  std::memcpy(listingsUrl_, url.c_str(), url.size() + 1);
  return true;
}

void CNimbraDoc::ShowMessage(const std::string& utf8Text) {
  prompt_.Show(utf8Text, kAppTitle, PromptButtons::Ok);
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

// One key of a stored entry after its title, and the field it holds.
struct CNimbraDoc::StoredIntKey {
  const char* templ;
  int32_t StoredEntry::*field;
};

const CNimbraDoc::StoredIntKey* CNimbraDoc::StoredIntKeys(int* count) {
  // In the order they are written after the title.
  static const StoredIntKey kKeys[] = {
      {"sch_start[%d]", &StoredEntry::start},
      {"sch_end[%d]", &StoredEntry::end},
      {"sch_loop_f[%d]", &StoredEntry::loopF},
      {"sch_loop_meth[%d]", &StoredEntry::loopMeth},
      {"sch_b_wday[%d]", &StoredEntry::bWday},
      {"sch_kikan_f[%d]", &StoredEntry::kikanF},
      {"sch_kikan_s[%d]", &StoredEntry::kikanS},
      {"sch_kikan_e[%d]", &StoredEntry::kikanE},
  };
  *count = static_cast<int>(sizeof kKeys / sizeof kKeys[0]);
  return kKeys;
}

CNimbraDoc::StoredEntry CNimbraDoc::ReadStoredEntry(const ProfileStore& store, int i) {
  StoredEntry e;
  e.title = store.GetString(kScheduleSection, Key(kTitleKey, i), kSjisUntitled.sjis);
  int n = 0;
  const StoredIntKey* keys = StoredIntKeys(&n);
  for (int k = 0; k < n; ++k)
    e.*keys[k].field = store.GetInt(kScheduleSection, Key(keys[k].templ, i), 0);
  return e;
}

void CNimbraDoc::WriteStoredEntry(ProfileStore& store, int i, const StoredEntry& e) {
  store.SetString(kScheduleSection, Key(kTitleKey, i), e.title);
  int n = 0;
  const StoredIntKey* keys = StoredIntKeys(&n);
  for (int k = 0; k < n; ++k)
    store.SetInt(kScheduleSection, Key(keys[k].templ, i), e.*keys[k].field);
}

std::vector<CNimbraDoc::StoredEntry> CNimbraDoc::ReadStoredEntries(const ProfileStore& store) {
  // sch_num says how many entries are stored, but only entries with at least
  // one key in the file are read: a count that a damaged or hand-edited file
  // makes far larger than its content cannot make the start read (and keep)
  // millions of empty entries.
  const int32_t n = store.GetInt(kScheduleSection, "sch_num", 0);
  int keyCount = 0;
  const StoredIntKey* keys = StoredIntKeys(&keyCount);
  const auto isEntryKeyName = [&](std::string_view name) {
    if (EqualsIgnoringAsciiCase(name, TemplateName(kTitleKey))) return true;
    for (int k = 0; k < keyCount; ++k)
      if (EqualsIgnoringAsciiCase(name, TemplateName(keys[k].templ))) return true;
    return false;
  };
  std::vector<int32_t> indexes;
  store.ForEachKey(kScheduleSection, [&](std::string_view key) {
    std::string_view name;
    const int32_t i = SplitIndexedKey(key, &name);
    if (i >= 0 && i < n && isEntryKeyName(name)) indexes.push_back(i);
  });
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  std::vector<StoredEntry> entries;
  entries.reserve(indexes.size());
  for (const int32_t i : indexes) entries.push_back(ReadStoredEntry(store, i));
  return entries;
}

bool CNimbraDoc::SameStoredEntry(const StoredEntry& a, const StoredEntry& b) {
  int n = 0;
  const StoredIntKey* keys = StoredIntKeys(&n);
  for (int k = 0; k < n; ++k)
    if (a.*keys[k].field != b.*keys[k].field) return false;
  return a.title == b.title;
}

namespace {
// The sections whose keys a pending file carries besides the entries.
const char* const kPendingSettingsSections[] = {CAppMngInfo::kSection, kEpgSection};
}  // namespace

void CNimbraDoc::MergePending(ProfileStore& store, const ProfileStore& pending) {
  for (const char* section : kPendingSettingsSections) {
    std::vector<std::string> keys;
    pending.ForEachKey(section, [&](std::string_view key) { keys.emplace_back(key); });
    for (const std::string& key : keys)
      store.SetString(section, key, pending.GetString(section, key, ""));
  }
  std::vector<StoredEntry> entries = ReadStoredEntries(store);
  int32_t next = std::max<int32_t>(store.GetInt(kScheduleSection, "sch_num", 0),
                                   static_cast<int32_t>(entries.size()));
  for (const StoredEntry& e : ReadStoredEntries(pending)) {
    const bool stored = std::any_of(entries.begin(), entries.end(),
                                    [&](const StoredEntry& x) { return SameStoredEntry(x, e); });
    if (stored || next == INT32_MAX) continue;
    WriteStoredEntry(store, next++, e);
    entries.push_back(e);
  }
  store.SetInt(kScheduleSection, "sch_num", next);
}

ProfileStore CNimbraDoc::PendingStore() const {
  ProfileStore now;
  SaveSettingsTo(now);
  ProfileStore pending;
  for (const char* section : kPendingSettingsSections) {
    now.ForEachKey(section, [&](std::string_view key) {
      const std::string value = now.GetString(section, key, "");
      if (!defaults_ || !defaults_->HasKey(section, key) ||
          defaults_->GetString(section, key, "") != value)
        pending.SetString(section, key, value);
    });
  }
  now.ForEachKey(kScheduleSection, [&](std::string_view key) {
    pending.SetString(kScheduleSection, key, now.GetString(kScheduleSection, key, ""));
  });
  return pending;
}

CNimbraDoc::StoredEntry CNimbraDoc::ToStored(const ScheduleEntry& x) const {
  StoredEntry e;
  e.title = x.title;
  e.start = TimeToSeconds(x.s);
  e.end = TimeToSeconds(x.e);
  e.loopF = x.loop;
  e.loopMeth = x.loop_meth;
  e.bWday = x.b_way;
  e.kikanF = x.kikan_f;
  e.kikanS = TimeToSeconds(x.kikan_s);
  e.kikanE = TimeToSeconds(x.kikan_e);
  return e;
}

void CNimbraDoc::LoadSettings() {
  FileReadStatus status = FileReadStatus::Read;
  ProfileStore store = ProfileStore::Load(settingsPath_, &status);
  for (int attempt = 1; attempt < readAttempts_ && status == FileReadStatus::Unreadable; ++attempt) {
    if (readPause_) readPause_();
    store = ProfileStore::Load(settingsPath_, &status);
  }
  settingsUnread_ = store.IsUnread();
  pendingMerged_ = false;
  defaults_.reset();

  const std::string pendingPath = PendingSettingsPath();
  FileReadStatus pendingStatus = FileReadStatus::Missing;
  const ProfileStore pending = ProfileStore::Load(pendingPath, &pendingStatus);

  if (settingsUnread_) {
    DEBUG_LOG_STAMPED(log_, clock_, "LoadSettings: cannot read %s (%s); saving to %s",
                      settingsPath_.c_str(),
                      status == FileReadStatus::TooLarge ? "too large" : "unreadable",
                      pendingPath.c_str());
    // The defaults, and what the user entered while the file could not be
    // read before (the settings that differ from the defaults).
    LoadSettingsFrom(ProfileStore());
    defaults_ = std::make_unique<ProfileStore>();
    SaveSettingsTo(*defaults_);
    store = ProfileStore();
  }
  if (pendingStatus == FileReadStatus::Read) {
    MergePending(store, pending);
    pendingMerged_ = !settingsUnread_;
  }
  LoadSettingsFrom(store);

  if (settingsUnread_) {
    const std::string first =
        status == FileReadStatus::TooLarge
            ? "設定ファイルが大きすぎるため読み込みませんでした（16MBまで）。\n"
            : "設定ファイルを読み込めませんでした。ほかのプログラムが開いているか、"
              "読み取りの権限がありません。\n";
    ShowMessage(first + settingsPath_ +
                "\n\n登録済みのスケジュールを失わないよう、このファイルには書き込みません。"
                "これから入力する内容は次のファイルに保存し、設定ファイルを読み込めるようになった"
                "次の起動のときに設定ファイルに合わせます。\n" +
                pendingPath);
  } else if (pendingMerged_) {
    ShowMessage("設定ファイルを読み込めなかった間に入力した内容を、設定ファイルに合わせました。\n" +
                pendingPath);
  }
}

void CNimbraDoc::LoadSettingsFrom(const ProfileStore& store) {
  const char* app = CAppMngInfo::kSection;

  log_.SetLevel(static_cast<unsigned>(store.GetInt(app, "debug_flag", 0)));

  (void)appInfo_.SetProgPath(store.GetString(app, "prog_path", ""));
  (void)appInfo_.SetWakeupTimerName(store.GetString(app, "wakeup_timer_name", "tz_wakeup_timer"));
  (void)appInfo_.SetTvAppPath(store.GetString(app, "tv_app_path", ""));

  appInfo_.SetRegBkFlag(store.GetInt(app, "reg_bk_flag", 0));
  appInfo_.SetTvId(store.GetInt(app, "tv_id", 0));
  appInfo_.SetSelExt(store.GetInt(app, "sel_ext", 0));

  CUserSetParam& effective = appInfo_.GetUserSetting();
  effective.user_enable = store.GetInt(app, "user_enable", 0);
  if (effective.user_enable)
    appInfo_.LoadUserParam(store, effective);
  else
    appInfo_.SetDefaultUserParam(effective);
  appInfo_.LoadUserParam(store, appInfo_.GetUserValues());

  table_.AllocScheduleTable(effective.item_num_max);
  surplus_.clear();

  // The same "now" as the scheduler's tick: an entry loads waiting, running
  // or finished exactly as the tick would see it.
  const int64_t now = LocalSecondsNow(clock_);
  bool toldFull = false;
  std::string overlapping;  // the entries kept aside for overlapping, one line each
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
    // on (a saved file is in order: each entry then simply goes last). One
    // whose window overlaps an entry already read is kept like the surplus
    // above and written back, and the user is told.
    const int count = table_.GetScheduleCount();
    int slot = count;
    if (count > 0 && !(table_.EndSeconds(count - 1) < TimeToSeconds(s))) {
      ScheduleEntry probe{};
      probe.s = s;
      probe.e = e;
      slot = FindInsertPos(table_, probe);
    }
    if (slot < 0) {
      char when[40];
      std::snprintf(when, sizeof when, "%04d/%02d/%02d %02d:%02d", s.wYear, s.wMonth, s.wDay,
                    s.wHour, s.wMinute);
      overlapping += "\n・" + SjisToUtf8(stored.title) + "（" + when + " 開始）";
      surplus_.push_back(stored);
      continue;
    }
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
  }
  if (!overlapping.empty())
    ShowMessage("次のスケジュールは既存のスケジュールと重なっているため、予約に入れていません。"
                "設定ファイルには残してあります（重なっている予約を削除して起動し直すと、"
                "予約に入ります）。" +
                overlapping);
  RollOnEndedRepeats(now);

  for (int x = 0; x < GetExtCount(); ++x) {
    const std::string prev = store.GetString(kEpgSection, GetExtName(x), "");
    if (!prev.empty()) appInfo_.Associations().RememberAssociation(GetExtName(x), prev);
  }

  const char* url = GetSiteUrl(appInfo_.GetTvId());
  (void)SetListingsUrl(url ? url : "");
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
         ++step)
      ::NextOccurrence(next);
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
  if (settingsUnread_) {
    const std::string pendingPath = PendingSettingsPath();
    if (!PendingStore().Save(pendingPath)) {
      DEBUG_LOG_STAMPED(log_, clock_, "SaveSettings: cannot write %s", pendingPath.c_str());
      return false;
    }
    return true;
  }
  // Start from the file as it is now, so that sections written by others
  // (the plug-in's) and anything we do not know stay as they are. A file
  // that cannot be read now is not written either (the store refuses).
  ProfileStore store = ProfileStore::Load(settingsPath_);
  SaveSettingsTo(store);
  if (!store.Save(settingsPath_)) {
    DEBUG_LOG_STAMPED(log_, clock_, "SaveSettings: cannot write %s", settingsPath_.c_str());
    return false;
  }
  if (pendingMerged_) {
    RemoveFile(PendingSettingsPath());
    pendingMerged_ = false;
  }
  return true;
}

void CNimbraDoc::SaveSettingsTo(ProfileStore& store) const {
  const char* app = CAppMngInfo::kSection;

  store.SetInt(app, "reg_bk_flag", appInfo_.GetRegBkFlag());
  store.SetInt(app, "tv_id", appInfo_.GetTvId());
  store.SetInt(app, "sel_ext", appInfo_.GetSelExt());
  store.SetString(app, "prog_path", appInfo_.GetProgPath());
  store.SetString(app, "tv_app_path", appInfo_.GetTvAppPath());
  const CUserSetParam& effective = appInfo_.GetUserSetting();
  if (effective.user_enable) appInfo_.SaveUserParam(store, effective);
  store.SetInt(app, "user_enable", effective.user_enable);

  const int count = table_.GetScheduleCount();
  store.SetInt(kScheduleSection, "sch_num", count + static_cast<int>(surplus_.size()));
  for (int i = 0; i < count; ++i) WriteStoredEntry(store, i, ToStored(*table_.GetSchedule(i)));
  for (size_t k = 0; k < surplus_.size(); ++k)
    WriteStoredEntry(store, count + static_cast<int>(k), surplus_[k]);

  for (int x = 0; x < GetExtCount(); ++x) {
    const char* prev = appInfo_.Associations().LookupAssociation(GetExtName(x));
    store.SetString(kEpgSection, GetExtName(x), prev ? prev : "");
  }
}
