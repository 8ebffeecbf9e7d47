#pragma once
// The settings file, Nimbra.ini: the tables of the program's records (the
// APP_MNG_INFO scalars, the user values, a stored schedule entry, the count
// of entries), the load and save that walk them, and the file itself: read
// with a few tries, written whole, and never overwritten while unread or
// once another program changed what the save would write (saves then go to
// the pending file beside it).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/profile_store.h"
#include "platform/settings_schema.h"
#include "schedule/app_settings.h"
#include "schedule/schedule_entry.h"

class CDebugLog;
class IClock;

// Section names of the settings file (APP_MNG_INFO is kAppSection).
inline constexpr const char* kScheduleSection = "TV_REC_SCHEDULE";
inline constexpr const char* kEpgSection = "EPG_MANEGEMENT";
inline constexpr const char* kNotifySection = "Notify";

// The program's own notifications (通知): the tray balloon's switches, the
// webhook and the mail. Texts are Shift-JIS as the file keeps them; an empty template
// stands for the built-in one. The defaults are the table's.
struct NotifySettings {
  int32_t balloon_end;           // a balloon at each window's end
  int32_t balloon_trouble;       // a balloon when something went wrong
  std::string webhook_url;       // a secret: never logged whole
  int32_t webhook_kind;          // 0 Discord, 1 Slack, 2 ntfy, 3 generic JSON
  int32_t webhook_on_end;        // post at each window's end
  int32_t webhook_on_missed;     // post when a window was missed
  int32_t webhook_on_not_ready;  // post when the wake readiness turns "not ready"
  std::string webhook_subject;   // template; empty: the built-in one
  std::string webhook_body;      // template; empty: the built-in one
  std::string mail_server;       // empty: no mail
  int32_t mail_port;             // 465 (TLS) or 587 (STARTTLS); any other number reads as 465
  std::string mail_user;
  std::string mail_password;     // sealed for the Windows user (DPAPI), base64; never the typed text
  std::string mail_from;
  std::string mail_to;           // addresses separated by commas or semicolons
  int32_t mail_on_end;
  int32_t mail_on_missed;
  int32_t mail_on_not_ready;
  std::string mail_subject;      // template; empty: the built-in one
  std::string mail_body;         // template; empty: the built-in one

  static const SettingsTable<NotifySettings>& Fields();
  NotifySettings() { DefaultFields(Fields(), *this); }
  bool operator==(const NotifySettings& o) const { return SameFields(Fields(), *this, o); }
  bool operator!=(const NotifySettings& o) const { return !(*this == o); }
};
// The number of webhook kinds webhook_kind can hold.
inline constexpr int32_t kWebhookKindCount = 4;

// One schedule entry as the file keeps it, under keys "sch_title[<index>]"
// and so on; kept as read for the entries that do not fit the table.
struct StoredEntry {
  std::string title;  // Shift-JIS
  int32_t start = 0, end = 0;  // calendar seconds
  int32_t loopF = 0, loopMeth = 0, bWday = 0, kikanF = 0;
  int32_t kikanS = 0, kikanE = 0;  // the period's dates, calendar seconds

  static const SettingsTable<StoredEntry>& Fields();
  static StoredEntry From(const ScheduleEntry& entry);
  bool operator==(const StoredEntry& o) const { return SameFields(Fields(), *this, o); }
};

// How many entries the file stores (their indexes run below it).
struct StoredEntryCount {
  int32_t sch_num = 0;
  static const SettingsTable<StoredEntryCount>& Fields();
};

// The program's settings of APP_MNG_INFO and EPG_MANEGEMENT: the scalars,
// the user values (in force only while the user settings are switched on,
// the defaults otherwise; the user's own are read either way) and the file
// types the iEPG extensions had before.
void LoadAppSettings(const ProfileStore& store, CAppMngInfo& info);
// Writes APP_MNG_INFO: the scalars, the user values when they are in force,
// then the switch.
void SaveAppSettings(ProfileStore& store, const CAppMngInfo& info);
void SaveAssociations(ProfileStore& store, const CAppMngInfo& info);

// Every entry stored in the file, in index order: only indexes below
// sch_num with at least one key of their own, so that a count far larger
// than the content cannot make a load read millions of empty entries.
std::vector<StoredEntry> ReadStoredEntries(const ProfileStore& store);
// The count the file says (0 when it says none).
int32_t ReadStoredCount(const ProfileStore& store);
// Writes the count, and takes out the keys of entries at that index and
// above (a table that shrank leaves none behind); then each entry with
// WriteStoredEntry.
void WriteStoredCount(ProfileStore& store, int32_t count);
void WriteStoredEntry(ProfileStore& store, int32_t index, const StoredEntry& entry);

// The file at a path, read and written on behalf of the document: what the
// program keeps in it is read from and written into a store by the
// document; this class decides which file, when, and what to tell.
class CSettingsFile {
 public:
  CSettingsFile(IClock& clock, CDebugLog& log, std::string path);
  ~CSettingsFile();

  const std::string& Path() const { return path_; }
  // The pending file beside it: "Nimbra-unsaved.ini" for "Nimbra.ini".
  std::string PendingPath() const;
  // How often an unreadable file is tried at Read, and what runs between two
  // tries (by default a quarter of a second's sleep).
  void SetReadRetry(int attempts, std::function<void()> pause);

  // Reads the file (a missing one gives an empty store) and returns what the
  // program's settings are to be loaded from. A file that exists but cannot
  // be read is tried again; a file larger than kMaxProfileFileBytes is not
  // read at all. Then the program runs on the defaults, which writeDefaults
  // writes into a store (asked only then), and Write never touches that
  // file. A pending file is merged in: its entries, and its settings keys
  // over the file's.
  ProfileStore Read(const std::function<void(ProfileStore&)>& writeDefaults);
  // What to tell the user after Read, "" when nothing.
  std::string ReadNotice() const;
  // True while the file could not be read and saves go to the pending file.
  bool IsUnread() const { return unread_; }

  // Writes the program's keys (writeOurs puts them into a store) over the
  // file as it is now, so that sections of others and keys we do not know
  // stay; the file is replaced whole or not at all. While the file is
  // unread, the pending file gets every entry and the settings keys that
  // differ from the defaults. A file in which another program (another
  // copy, an editor) changed a value since it was read or last written here,
  // and this save would change it again, is not written either: from then
  // on the pending file gets every entry and the settings keys changed
  // here, and WriteNotice says so once. False (and a debug-log line) when
  // nothing could be written.
  [[nodiscard]] bool Write(const std::function<void(ProfileStore&)>& writeOurs);
  // What to tell the user after Write, once: "" when nothing.
  std::string TakeWriteNotice();
  // True once the file was found changed by another program and saves go
  // to the pending file.
  bool IsDiverted() const { return diverted_; }

 private:
  IClock& clock_;
  CDebugLog& log_;
  std::string path_;
  int readAttempts_ = 12;
  std::function<void()> readPause_;
  FileReadStatus readStatus_ = FileReadStatus::kRead;
  bool unread_ = false;
  // Writes the pending file: every entry, and the settings keys whose value
  // differs from baseline's (all of them without one).
  [[nodiscard]] bool WritePending(const std::function<void(ProfileStore&)>& writeOurs,
                                  const ProfileStore* baseline);

  bool pendingMerged_ = false;              // remove the pending file after the next save
  std::string mergedPending_;               // the pending file as merged
  std::unique_ptr<ProfileStore> defaults_;  // the keys the defaults write
  std::unique_ptr<ProfileStore> known_;     // the file as read or last written here
  bool diverted_ = false;                   // the file changed under us: saves go aside
  std::string writeNotice_;
};
