#include "schedule/settings_file.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/sjis_texts.h"
#include "platform/text.h"
#include "schedule/time_rules.h"

// ---- The tables: each key and default of the program's records, once ----

namespace {

using A = CAppMngInfo;
using U = CUserSetParam;
using E = StoredEntry;

// The user values, written only while they are in force.
const SettingsField<U> kUserFields[] = {
    NumberField("item_num_max", &U::item_num_max, 10),
    // The file keeps 1 for hibernation, 0 for standby.
    SwitchEnumField<&U::sleep_flag, SleepMode::kStandby, SleepMode::kHibernate>(
        "sleep_flag", SleepMode::kHibernate),
    SwitchField("finish_act", &U::finish_act, 1),
    NumberField("epg_offset", &U::epg_offset, 0),
    NumberField("smenu_fhock", &U::smenu_fhock, 0),
    // Files of earlier versions have neither key: the defaults apply.
    NumberField("wakeup_lead_sec", &U::wakeup_lead_sec, 60, 0, 3600),
    NumberField("stay_awake_gap_sec", &U::stay_awake_gap_sec, 300, 0, 86400),
};

// Whether the user values are in force; written always, after them.
const SettingsField<U> kUserSwitchFields[] = {
    NumberField("user_enable", &U::user_enable, 0),
};

const SettingsField<E> kEntryFields[] = {
    TextField("sch_title[%d]", &E::title, kSjisUntitled.sjis),
    NumberField("sch_start[%d]", &E::start, 0),
    NumberField("sch_end[%d]", &E::end, 0),
    NumberField("sch_loop_f[%d]", &E::loopF, 0),
    NumberField("sch_loop_meth[%d]", &E::loopMeth, 0),
    NumberField("sch_b_wday[%d]", &E::bWday, 0),
    NumberField("sch_kikan_f[%d]", &E::kikanF, 0),
    NumberField("sch_kikan_s[%d]", &E::kikanS, 0),
    NumberField("sch_kikan_e[%d]", &E::kikanE, 0),
};

// The last wake self-test; outcome and stay as the engine numbers them (the
// engine takes a number it does not know for none).
using W = WakeTestRecord;
const SettingsField<W> kWakeTestFields[] = {
    NumberField("wake_test_time", &W::wake_test_time, 0, 0, INT32_MAX),
    // 1 hibernation, 0 standby, as sleep_flag.
    SwitchEnumField<&W::wake_test_mode, SleepMode::kStandby, SleepMode::kHibernate>(
        "wake_test_mode", SleepMode::kStandby),
    NumberField("wake_test_result", &W::wake_test_result, 0),
    NumberField("wake_test_wake", &W::wake_test_wake, 0, 0, INT32_MAX),
    NumberField("wake_test_resumed", &W::wake_test_resumed, 0, 0, INT32_MAX),
    NumberField("wake_test_ran", &W::wake_test_ran, 0, 0, INT32_MAX),
    NumberField("wake_test_stay", &W::wake_test_stay, 0),
};

const SettingsField<StoredEntryCount> kCountFields[] = {
    NumberField("sch_num", &StoredEntryCount::sch_num, 0),
};

using N = NotifySettings;
// The mail port: only the two the page offers; any other number reads as
// the first.
SettingsField<N> MailPortField() {
  SettingsField<N> f = NumberField("mail_port", static_cast<int32_t N::*>(nullptr), 465, 465, 587);
  f.getNumber = [](const N& n) { return n.mail_port; };
  f.setNumber = [](N& n, int32_t v) { n.mail_port = v == 587 ? 587 : 465; };
  return f;
}
const SettingsField<N> kNotifyFields[] = {
    SwitchField("balloon_end", &N::balloon_end, 0),
    SwitchField("balloon_trouble", &N::balloon_trouble, 1),
    TextField("webhook_url", &N::webhook_url, "", 2047),
    NumberField("webhook_kind", &N::webhook_kind, 0, 0, kWebhookKindCount - 1),
    SwitchField("webhook_on_end", &N::webhook_on_end, 1),
    SwitchField("webhook_on_missed", &N::webhook_on_missed, 1),
    SwitchField("webhook_on_not_ready", &N::webhook_on_not_ready, 1),
    TextField("webhook_subject", &N::webhook_subject, "", 1023),
    TextField("webhook_body", &N::webhook_body, "", 4095),
    TextField("mail_server", &N::mail_server, "", 253),
    MailPortField(),
    TextField("mail_user", &N::mail_user, "", 255),
    TextField("mail_password_dpapi", &N::mail_password, "", 8191),
    TextField("mail_from", &N::mail_from, "", 255),
    TextField("mail_to", &N::mail_to, "", 2047),
    SwitchField("mail_on_end", &N::mail_on_end, 1),
    SwitchField("mail_on_missed", &N::mail_on_missed, 1),
    SwitchField("mail_on_not_ready", &N::mail_on_not_ready, 1),
    TextField("mail_subject", &N::mail_subject, "", 1023),
    TextField("mail_body", &N::mail_body, "", 4095),
};

}  // namespace

const SettingsTable<NotifySettings>& NotifySettings::Fields() {
  static const SettingsTable<NotifySettings> table = MakeSettingsTable(kNotifySection, kNotifyFields);
  return table;
}

const SettingsTable<CAppMngInfo>& CAppMngInfo::Fields() {
  // In the order they are written (the members are the class's own).
  static const SettingsField<A> kAppFields[] = {
      NumberField("reg_bk_flag", &A::reg_bk_flag_, 0),
      NumberField("tv_id", &A::tv_id_, 0),
      NumberField("sel_ext", &A::sel_ext_, 0),
      TextField("prog_path", &A::prog_path_, "", kPathSize - 1),
      TextField("tv_app_path", &A::tv_app_path_, "", kPathSize - 1),
      // The main window's place at the last exit (screen pixels); a file
      // without them, or with no width, opens it at its first place.
      NumberField("main_left", &A::main_left_, 0),
      NumberField("main_top", &A::main_top_, 0),
      NumberField("main_width", &A::main_width_, 0, 0, 100000),
      NumberField("main_height", &A::main_height_, 0, 0, 100000),
      ReadOnly(TextField("wakeup_timer_name", &A::wakeup_timer_name_, "tz_wakeup_timer",
                         kPathSize - 1)),
  };
  static const SettingsTable<CAppMngInfo> table = MakeSettingsTable(kSection, kAppFields);
  return table;
}

const SettingsTable<WakeTestRecord>& WakeTestRecord::Fields() {
  static const SettingsTable<WakeTestRecord> table = MakeSettingsTable(kAppSection, kWakeTestFields);
  return table;
}

const SettingsTable<CUserSetParam>& CUserSetParam::Fields() {
  static const SettingsTable<CUserSetParam> table = MakeSettingsTable(kAppSection, kUserFields);
  return table;
}

const SettingsTable<CUserSetParam>& CUserSetParam::SwitchFields() {
  static const SettingsTable<CUserSetParam> table = MakeSettingsTable(kAppSection, kUserSwitchFields);
  return table;
}

CUserSetParam::CUserSetParam() {
  DefaultFields(Fields(), *this);
  DefaultFields(SwitchFields(), *this);
}

const SettingsTable<StoredEntry>& StoredEntry::Fields() {
  static const SettingsTable<StoredEntry> table = MakeSettingsTable(kScheduleSection, kEntryFields);
  return table;
}

const SettingsTable<StoredEntryCount>& StoredEntryCount::Fields() {
  static const SettingsTable<StoredEntryCount> table =
      MakeSettingsTable(kScheduleSection, kCountFields);
  return table;
}

// ---- The records ----

void LoadAppSettings(const ProfileStore& store, CAppMngInfo& info) {
  LoadFields(store, CAppMngInfo::Fields(), info);
  CUserSetParam& effective = info.GetUserSetting();
  LoadFields(store, CUserSetParam::SwitchFields(), effective);
  if (effective.user_enable)
    LoadFields(store, CUserSetParam::Fields(), effective);
  else
    DefaultFields(CUserSetParam::Fields(), effective);
  LoadFields(store, CUserSetParam::Fields(), info.GetUserValues());
  LoadFields(store, WakeTestRecord::Fields(), info.WakeTest());

  for (int x = 0; x < GetExtCount(); ++x) {
    const std::string prev = store.GetString(kEpgSection, GetExtName(x), "");
    if (!prev.empty()) info.Associations().RememberAssociation(GetExtName(x), prev);
  }
}

void SaveAppSettings(ProfileStore& store, const CAppMngInfo& info) {
  SaveFields(store, CAppMngInfo::Fields(), info);
  const CUserSetParam& effective = info.GetUserSetting();
  if (effective.user_enable) SaveFields(store, CUserSetParam::Fields(), effective);
  SaveFields(store, CUserSetParam::SwitchFields(), effective);
  // A file of a PC never tested stays as it was.
  if (info.WakeTest().wake_test_time != 0) SaveFields(store, WakeTestRecord::Fields(), info.WakeTest());
}

void SaveAssociations(ProfileStore& store, const CAppMngInfo& info) {
  for (int x = 0; x < GetExtCount(); ++x) {
    const char* prev = info.Associations().LookupAssociation(GetExtName(x));
    store.SetString(kEpgSection, GetExtName(x), prev ? prev : "");
  }
}

StoredEntry StoredEntry::From(const ScheduleEntry& x) {
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

namespace {

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

// Whether name ("sch_title") is the name of a stored entry's key.
bool IsEntryKeyName(std::string_view name) {
  for (const SettingsField<StoredEntry>& f : StoredEntry::Fields())
    if (EqualsIgnoringAsciiCase(name, FieldKeyName(f.key))) return true;
  return false;
}

}  // namespace

int32_t ReadStoredCount(const ProfileStore& store) {
  StoredEntryCount count;
  LoadFields(store, StoredEntryCount::Fields(), count);
  return count.sch_num;
}

std::vector<StoredEntry> ReadStoredEntries(const ProfileStore& store) {
  const int32_t n = ReadStoredCount(store);
  std::vector<int32_t> indexes;
  store.ForEachKey(kScheduleSection, [&](std::string_view key) {
    std::string_view name;
    const int32_t i = SplitIndexedKey(key, &name);
    if (i >= 0 && i < n && IsEntryKeyName(name)) indexes.push_back(i);
  });
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  std::vector<StoredEntry> entries(indexes.size());
  for (size_t k = 0; k < indexes.size(); ++k)
    LoadFields(store, StoredEntry::Fields(), entries[k], indexes[k]);
  return entries;
}

void WriteStoredCount(ProfileStore& store, int32_t count) {
  StoredEntryCount c;
  c.sch_num = count;
  SaveFields(store, StoredEntryCount::Fields(), c);
  store.RemoveKeys(kScheduleSection, [&](std::string_view key) {
    std::string_view name;
    const int32_t i = SplitIndexedKey(key, &name);
    return i >= count && IsEntryKeyName(name);
  });
}

void WriteStoredEntry(ProfileStore& store, int32_t index, const StoredEntry& entry) {
  SaveFields(store, StoredEntry::Fields(), entry, index);
}

// ---- The file ----

namespace {

// The sections whose keys a pending file carries besides the entries.
const char* const kPendingSettingsSections[] = {kAppSection, kEpgSection, kNotifySection};

// Puts what a pending file holds into store: its settings keys over the
// store's, its entries after the store's unless stored already.
void MergePending(ProfileStore& store, const ProfileStore& pending) {
  for (const char* section : kPendingSettingsSections) {
    std::vector<std::string> keys;
    pending.ForEachKey(section, [&](std::string_view key) { keys.emplace_back(key); });
    for (const std::string& key : keys)
      store.SetString(section, key, pending.GetString(section, key, ""));
  }
  std::vector<StoredEntry> entries = ReadStoredEntries(store);
  int32_t next = std::max<int32_t>(ReadStoredCount(store), static_cast<int32_t>(entries.size()));
  for (const StoredEntry& e : ReadStoredEntries(pending)) {
    const bool stored = std::find(entries.begin(), entries.end(), e) != entries.end();
    if (stored || next == INT32_MAX) continue;
    WriteStoredEntry(store, next++, e);
    entries.push_back(e);
  }
  WriteStoredCount(store, next);
}

}  // namespace

CSettingsFile::CSettingsFile(IClock& clock, CDebugLog& log, std::string path)
    : clock_(clock), log_(log), path_(std::move(path)) {
  // A backup tool or an editor lets go of the file within moments: a few
  // seconds of tries at start-up, before any window or tick exists.
  readPause_ = [] { std::this_thread::sleep_for(std::chrono::milliseconds(250)); };
}

CSettingsFile::~CSettingsFile() = default;

void CSettingsFile::SetReadRetry(int attempts, std::function<void()> pause) {
  readAttempts_ = std::max(1, attempts);
  readPause_ = std::move(pause);
}

std::string CSettingsFile::PendingPath() const {
  const std::string_view ext = ".ini";
  if (path_.size() > ext.size() && EndsWithIgnoringAsciiCase(path_, ext))
    return path_.substr(0, path_.size() - ext.size()) + "-unsaved.ini";
  return path_ + "-unsaved.ini";
}

ProfileStore CSettingsFile::Read(const std::function<void(ProfileStore&)>& writeDefaults) {
  FileReadStatus status = FileReadStatus::kRead;
  ProfileStore store = ProfileStore::Load(path_, &status);
  for (int attempt = 1; attempt < readAttempts_ && status == FileReadStatus::kUnreadable;
       ++attempt) {
    if (readPause_) readPause_();
    store = ProfileStore::Load(path_, &status);
  }
  readStatus_ = status;
  unread_ = store.IsUnread();
  pendingMerged_ = false;
  mergedPending_.clear();
  defaults_.reset();
  known_.reset();
  diverted_ = false;
  writeNotice_.clear();
  if (!unread_) known_ = std::make_unique<ProfileStore>(store);

  const std::string pendingPath = PendingPath();
  FileReadStatus pendingStatus = FileReadStatus::kMissing;
  const ProfileStore pending = ProfileStore::Load(pendingPath, &pendingStatus);

  if (unread_) {
    DEBUG_LOG_STAMPED(log_, clock_, "LoadSettings: cannot read %s (%s); saving to %s", path_.c_str(),
                      status == FileReadStatus::kTooLarge ? "too large" : "unreadable",
                      pendingPath.c_str());
    // The defaults, and what the user entered while the file could not be
    // read before (the settings that differ from the defaults).
    defaults_ = std::make_unique<ProfileStore>();
    writeDefaults(*defaults_);
    store = ProfileStore();
  }
  if (pendingStatus == FileReadStatus::kRead) {
    MergePending(store, pending);
    pendingMerged_ = !unread_;
    if (pendingMerged_) mergedPending_ = pending.Serialize();
  }
  return store;
}

std::string CSettingsFile::ReadNotice() const {
  if (unread_) {
    const std::string first =
        readStatus_ == FileReadStatus::kTooLarge
            ? "設定ファイルが大きすぎるため読み込みませんでした（16MBまで）。\n"
            : "設定ファイルを読み込めませんでした。ほかのプログラムが開いているか、"
              "読み取りの権限がありません。\n";
    return first + path_ +
           "\n\n登録済みのスケジュールを失わないよう、このファイルには書き込みません。"
           "これから入力する内容は次のファイルに保存し、設定ファイルを読み込めるようになった"
           "次の起動のときに設定ファイルに合わせます。\n" +
           PendingPath();
  }
  if (pendingMerged_)
    return "設定ファイルの代わりに保存していた内容を、設定ファイルに合わせました。\n" + PendingPath();
  return "";
}

bool CSettingsFile::WritePending(const std::function<void(ProfileStore&)>& writeOurs,
                                 const ProfileStore* baseline) {
  ProfileStore now;
  writeOurs(now);
  ProfileStore pending;
  for (const char* section : kPendingSettingsSections) {
    now.ForEachKey(section, [&](std::string_view key) {
      const std::string value = now.GetString(section, key, "");
      if (!baseline || !baseline->HasKey(section, key) ||
          baseline->GetString(section, key, "") != value)
        pending.SetString(section, key, value);
    });
  }
  now.ForEachKey(kScheduleSection, [&](std::string_view key) {
    pending.SetString(kScheduleSection, key, now.GetString(kScheduleSection, key, ""));
  });
  const std::string pendingPath = PendingPath();
  if (!pending.Save(pendingPath)) {
    DEBUG_LOG_STAMPED(log_, clock_, "SaveSettings: cannot write %s", pendingPath.c_str());
    return false;
  }
  return true;
}

std::string CSettingsFile::TakeWriteNotice() {
  std::string notice;
  notice.swap(writeNotice_);
  return notice;
}

bool CSettingsFile::Write(const std::function<void(ProfileStore&)>& writeOurs) {
  // While unread: every entry, and the settings keys whose value is not the
  // one the defaults write. Once diverted: those that differ from the file
  // as it was read or last written here, so that the next start merges only
  // what was changed here over what the other program wrote.
  if (unread_) return WritePending(writeOurs, defaults_.get());
  if (diverted_) return WritePending(writeOurs, known_.get());
  // Start from the file as it is now, so that sections written by others
  // (the plug-in's) and anything we do not know stay as they are. A file
  // that cannot be read now is not written either (the store refuses).
  FileReadStatus status = FileReadStatus::kRead;
  ProfileStore store = ProfileStore::Load(path_, &status);
  const ProfileStore now = store;
  writeOurs(store);
  // A file that is gone holds nothing of anybody's to lose.
  if (status == FileReadStatus::kRead && known_ &&
      ProfileStore::OverwritesChanges(*known_, now, store)) {
    DEBUG_LOG_STAMPED(log_, clock_,
                      "SaveSettings: %s was changed by another program since it was read; "
                      "saving to %s",
                      path_.c_str(), PendingPath().c_str());
    diverted_ = true;
    writeNotice_ = "設定ファイルが、Nimbraが読み込んだあとにほかのプログラム（別のNimbraや"
                   "エディターなど）で変更されていました。\n" +
                   path_ +
                   "\n\nその変更を失わないよう、このファイルには書き込みません。入力した内容は"
                   "次のファイルに保存します。\n" +
                   PendingPath() +
                   "\n\n引き継ぐには、設定ファイルを変更しているNimbraやエディターを閉じてから、"
                   "Nimbraを起動し直してください。起動のときに、この内容を設定ファイルに合わせます。";
    return WritePending(writeOurs, known_.get());
  }
  if (!store.Save(path_)) {
    DEBUG_LOG_STAMPED(log_, clock_, "SaveSettings: cannot write %s", path_.c_str());
    return false;
  }
  known_ = std::make_unique<ProfileStore>(std::move(store));
  if (pendingMerged_) {
    // Only the pending file that was merged: one written since (by another
    // copy that found the file changed) waits for the next start.
    const std::string pendingPath = PendingPath();
    if (ProfileStore::Load(pendingPath).Serialize() == mergedPending_) RemoveFile(pendingPath);
    pendingMerged_ = false;
    mergedPending_.clear();
  }
  return true;
}
