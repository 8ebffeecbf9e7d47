#include "schedule/nimbra_doc.h"

#include <cstdio>
#include <cstring>

#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/profile_store.h"
#include "platform/prompt.h"
#include "platform/sjis_texts.h"
#include "schedule/table_queries.h"
#include "schedule/time_rules.h"

namespace {

constexpr int kMinIntervalMinutes = 2;
constexpr const char* kTitleKey = "sch_title[%d]";

std::string Key(const char* templ, int index) {
  char buf[64];
  std::snprintf(buf, sizeof buf, templ, index);
  return buf;
}


}  // namespace

CNimbraDoc::CNimbraDoc(IClock& clock, IPrompt& prompt, CDebugLog& log, std::string settingsPath)
    : clock_(clock), prompt_(prompt), log_(log), settingsPath_(std::move(settingsPath)) {
  listingsUrl_[0] = '\0';
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

  const int32_t n = store.GetInt(kScheduleSection, "sch_num", 0);
  const int64_t now = clock_.SecondsNow();
  bool toldFull = false;
  for (int i = 0; i < n; ++i) {
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
    const int slot = table_.GetScheduleCount();
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

  const char* url = GetSiteUrl(appInfo_.GetTvId());
  (void)SetListingsUrl(url ? url : "");
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
    DEBUG_LOG_STAMPED(log_, clock_, "SaveSettings: cannot write %s", settingsPath_.c_str());
    return false;
  }
  return true;
}
