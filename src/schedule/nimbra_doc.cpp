#include "schedule/nimbra_doc.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "app/debug_log.h"
#include "platform/clock.h"
#include "platform/prompt.h"
#include "platform/sjis.h"
#include "schedule/profile_store.h"
#include "schedule/time_rules.h"

namespace {

constexpr int kMinIntervalMinutes = 2;

std::string Key(const char* templ, int index) {
  char buf[64];
  std::snprintf(buf, sizeof buf, templ, index);
  return buf;
}

// The names of the nine keys of one stored entry, before their "[index]".
constexpr const char* kEntryKeyNames[] = {"sch_title",  "sch_start",     "sch_end",
                                          "sch_loop_f", "sch_loop_meth", "sch_b_wday",
                                          "sch_kikan_f", "sch_kikan_s",  "sch_kikan_e"};

bool SameFoldedAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The index of an entry key ("sch_start[12]", spelled as the loader looks it
// up: decimal without sign or leading zeros), or -1 for any other key.
int32_t EntryKeyIndex(std::string_view key) {
  const size_t open = key.find('[');
  if (open == std::string_view::npos || key.size() < open + 3 || key.back() != ']') return -1;
  bool known = false;
  for (const char* name : kEntryKeyNames) known = known || SameFoldedAscii(key.substr(0, open), name);
  if (!known) return -1;
  const std::string_view digits = key.substr(open + 1, key.size() - open - 2);
  if (digits.size() > 10 || (digits.size() > 1 && digits.front() == '0')) return -1;
  int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value > INT32_MAX ? -1 : static_cast<int32_t>(value);
}

const std::string& DefaultTitleSjis() {
  static const std::string title = Utf8ToSjis("タイトルなし");
  return title;
}

}  // namespace

CNimbraDoc::CNimbraDoc(IClock& clock, IPrompt& prompt, std::string settingsPath)
    : clock_(clock), prompt_(prompt), settingsPath_(std::move(settingsPath)) {
  listingsUrl_[0] = '\0';
  LoadSettings();
  DebugLogStart(clock_.LocalNow());
  const char* url = GetSiteUrl(appInfo_.GetTvId());
  (void)SetListingsUrl(url ? url : "");
}

CNimbraDoc::~CNimbraDoc() {
  (void)SaveSettings();
  table_.FreeScheduleTable();
  DebugLogEnd(clock_.LocalNow());
}

bool CNimbraDoc::SetListingsUrl(const std::string& url) {
  if (url.size() >= kPathSize) return false;
  std::memcpy(listingsUrl_, url.c_str(), url.size() + 1);
  return true;
}

void CNimbraDoc::ShowMessage(const std::string& utf8Text) {
  prompt_.Show(utf8Text, kAppTitle, PromptButtons::Ok);
}

int CNimbraDoc::AddSchedule(const ScheduleEntry& entry) {
  const int year = clock_.LocalNow().wYear;
  if (!IsValidOrder(entry.s, entry.e, year)) {
    ShowMessage("設定した値のエラー。開始より終了が早い、または値が不正");
    return -1;
  }
  if (!HasMinInterval(entry.s, entry.e, kMinIntervalMinutes)) {
    char text[128];
    std::snprintf(text, sizeof text, "開始と終了の間隔を%d分以上で設定してください",
                  kMinIntervalMinutes);
    ShowMessage(text);
    return -1;
  }
  const int index = FindInsertPos(table_, entry);
  if (index == -1) {
    ShowMessage("既存のスケジュールと重なっています");
    return -1;
  }
  ScheduleEntry* slot = table_.InsertScheduleEntry(index, entry);
  if (!slot) {
    ShowMessage("登録最大数を超えました。");
    return index;
  }
  // A new entry carries the state its caller gives it (waiting for a new
  // one, the old state for an entry put back).
  slot->state = entry.state;
  return index;
}

ScheduleEntry& CNimbraDoc::NextOccurrence(ScheduleEntry& entry) { return ::NextOccurrence(entry); }

CNimbraDoc::StoredEntry CNimbraDoc::ReadStoredEntry(const ProfileStore& store, int i) {
  StoredEntry e;
  e.title = store.GetString(kScheduleSection, Key("sch_title[%d]", i), DefaultTitleSjis());
  e.start = store.GetInt(kScheduleSection, Key("sch_start[%d]", i), 0);
  e.end = store.GetInt(kScheduleSection, Key("sch_end[%d]", i), 0);
  e.kikanS = store.GetInt(kScheduleSection, Key("sch_kikan_s[%d]", i), 0);
  e.kikanE = store.GetInt(kScheduleSection, Key("sch_kikan_e[%d]", i), 0);
  e.kikanF = store.GetInt(kScheduleSection, Key("sch_kikan_f[%d]", i), 0);
  e.bWday = store.GetInt(kScheduleSection, Key("sch_b_wday[%d]", i), 0);
  e.loopMeth = store.GetInt(kScheduleSection, Key("sch_loop_meth[%d]", i), 0);
  e.loopF = store.GetInt(kScheduleSection, Key("sch_loop_f[%d]", i), 0);
  return e;
}

void CNimbraDoc::WriteStoredEntry(ProfileStore& store, int i, const StoredEntry& e) {
  store.SetString(kScheduleSection, Key("sch_title[%d]", i), e.title);
  store.SetInt(kScheduleSection, Key("sch_start[%d]", i), e.start);
  store.SetInt(kScheduleSection, Key("sch_end[%d]", i), e.end);
  store.SetInt(kScheduleSection, Key("sch_loop_f[%d]", i), e.loopF);
  store.SetInt(kScheduleSection, Key("sch_loop_meth[%d]", i), e.loopMeth);
  store.SetInt(kScheduleSection, Key("sch_b_wday[%d]", i), e.bWday);
  store.SetInt(kScheduleSection, Key("sch_kikan_f[%d]", i), e.kikanF);
  store.SetInt(kScheduleSection, Key("sch_kikan_s[%d]", i), e.kikanS);
  store.SetInt(kScheduleSection, Key("sch_kikan_e[%d]", i), e.kikanE);
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
  const ProfileStore store = ProfileStore::Load(settingsPath_);
  const char* app = CAppMngInfo::kSection;

  SetDebugLogLevel(static_cast<unsigned>(store.GetInt(app, "debug_flag", 0)));

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

  // sch_num says how many entries are stored, but only entries with at least
  // one key in the file are read: a count that a damaged or hand-edited file
  // makes far larger than its content cannot make the start read (and keep)
  // millions of empty entries.
  const int32_t n = store.GetInt(kScheduleSection, "sch_num", 0);
  std::vector<int32_t> indexes;
  store.ForEachKey(kScheduleSection, [&](std::string_view key) {
    const int32_t i = EntryKeyIndex(key);
    if (i >= 0 && i < n) indexes.push_back(i);
  });
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());

  const int64_t now = clock_.SecondsNow();
  bool toldFull = false, toldOverlap = false;
  for (const int32_t i : indexes) {
    const StoredEntry stored = ReadStoredEntry(store, i);
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
      if (!toldOverlap) {
        ShowMessage("既存のスケジュールと重なっています");
        toldOverlap = true;
      }
      surplus_.push_back(stored);
      continue;
    }
    ScheduleEntry* entry = table_.InsertSchedule(slot, s, e, stored.title.c_str());
    if (!startOk || !endOk) {
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

  for (int x = 0; x < GetExtCount(); ++x) {
    const std::string prev = store.GetString(kEpgSection, GetExtName(x), "");
    if (!prev.empty()) appInfo_.Associations().RememberAssociation(GetExtName(x), prev);
  }
}

bool CNimbraDoc::SaveSettings() {
  // Start from the file as it is now, so that sections written by others
  // (the plug-in's) and anything we do not know stay as they are.
  ProfileStore store = ProfileStore::Load(settingsPath_);
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

  if (!store.Save(settingsPath_)) {
    DEBUG_LOG_STAMPED(clock_, "SaveSettings: cannot write %s", settingsPath_.c_str());
    return false;
  }
  return true;
}
