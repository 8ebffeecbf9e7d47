#pragma once
// The document: owns the schedule table and the settings, and is the checked
// way into the table for everything the user or an iEPG file adds. The
// program loads the settings once after making it and saves them once before
// it goes; the document itself touches no file when made or destroyed.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/app_title.h"
#include "platform/tell_once.h"
#include "schedule/app_settings.h"
#include "schedule/schedule_table.h"
#include "schedule/settings_file.h"

class CDebugLog;
class IClock;
class INimbraView;
class IPrompt;
class ProfileStore;

// Why the table refused an entry.
enum class AddRefusal { kNone, kInvalid, kTooShort, kOverlap, kFull, kTooLate };
// The message that tells the user why (UTF-8); "" for kNone.
std::string AddRefusalText(AddRefusal why);

class CNimbraDoc {
 public:
  // The settings file is at settingsPath; the table is empty until LoadSettings.
  CNimbraDoc(IClock& clock, IPrompt& prompt, CDebugLog& log, std::string settingsPath);
  virtual ~CNimbraDoc();
  CNimbraDoc(const CNimbraDoc&) = delete;
  CNimbraDoc& operator=(const CNimbraDoc&) = delete;

  // Checks entry against the time rules and inserts it in its sorted place.
  // Returns its index, or -1 after telling the user why it was refused. With
  // a full table the user is told so and the index is still returned.
  int AddSchedule(const ScheduleEntry& entry);
  // The same checks and insertion without telling the user: kNone when the
  // entry was inserted at *index, else why not (*index is then -1, except for
  // a full table, where it is the place the entry would have had).
  AddRefusal TryAddSchedule(const ScheduleEntry& entry, int* index);
  ScheduleEntry& NextOccurrence(ScheduleEntry& entry);
  // Moves a repeating entry on past the occurrences that overlap another
  // entry of the table (a one-shot the user put on one of its days). The
  // place it fits in the table, or -1 when it finished first.
  int SkipClashingOccurrences(ScheduleEntry& entry) const;

  // The list view the editing commands talk to; nullptr detaches it (the
  // commands then do nothing).
  void SetView(INimbraView* view) { view_ = view; }
  INimbraView* View() const { return view_; }

  // The editing commands. Each runs its dialog until the entry is accepted or
  // the user cancels, shows a refused entry's dialog again with the values
  // just entered, refreshes the list and saves the settings after every
  // accepted change (CommitEdit). Those that return bool say whether an
  // entry was accepted.
  //
  // New one-shot entry in the reservation dialog.
  bool OnScheduleAdd();
  // Change of the selected entry: ChangeSchedule(false).
  bool OnScheduleChange();
  // Change of the selected entry in the repeat dialog when forceRepeatDialog
  // or the entry repeats, else in the reservation dialog. A refused change
  // puts the old entry back at its row, as it was. Afterwards the row gets
  // the focus without the selection.
  //
  // Change and delete act on the entry the user selected, found by value when
  // the dialog or question closes, wherever the tick has moved it meanwhile;
  // if it ended meanwhile (finished or rolled on), the user is told so and
  // nothing changes.
  bool ChangeSchedule(bool forceRepeatDialog);
  // Asks "No.%03d %s を削除しますか？" and deletes the selected entry on Yes.
  bool OnScheduleDelete();
  // The selected entry in the repeat dialog, or a new entry from it.
  bool OnRegularSchedule();
  // The iEPG import's broadcast: the reservation dialog preset with it.
  bool AddScheduleFromSeconds(int64_t tStart, int64_t tEnd, const std::string& titleSjis);
  bool AddScheduleWithDialog(const SystemTime& s, const SystemTime& e,
                             const std::string& titleSjis);

  // The one way the program saves: after an edit the user confirmed (the
  // settings sheet's included), at a schedule's end, before a power action
  // and at exit. A failure is told once (to the view's SettingsSaveFailed, or
  // through the prompt when no view is attached) and again only after a save
  // has succeeded in between. False when the file could not be written.
  bool CommitEdit();
  // The last save, at exit: while it fails the user is asked (every time,
  // even after the failure was told) whether to try again, since nothing
  // saves later; No leaves what was entered since the last save unsaved.
  // False when the file could not be written.
  bool CommitAtExit();

  // Reads the settings file (a missing one gives the defaults): the settings,
  // the debug log's level, the table and the listings site's address.
  //
  // A file that exists but cannot be read (another program holds it, no
  // right to read it) is tried again for a few seconds; a file larger than
  // kMaxProfileFileBytes is not read at all. Then the program runs on the
  // defaults and never writes that file: every save goes to the pending
  // file beside it (PendingSettingsPath) instead, and the user is told both
  // paths. A pending file found at a load is merged in (its entries, and the
  // settings the user changed), and removed after the next save.
  void LoadSettings();
  // Writes every key of the program's sections; the file is replaced whole or
  // not at all. False (and a debug-log line) when it could not be written.
  // A file in which another program changed, since it was read or saved
  // here, a value this save would change again is not written: this save
  // and every later one go to the pending file, and the user is told both
  // paths once; the next start merges it in as above.
  [[nodiscard]] bool SaveSettings();

  // The load and save of the settings in memory, without any file.
  void LoadSettingsFrom(const ProfileStore& store);
  void SaveSettingsTo(ProfileStore& store) const;

  // How often an unreadable settings file is tried at load, and what runs
  // between two tries (by default a quarter of a second's sleep).
  void SetReadRetry(int attempts, std::function<void()> pause);
  // True while the settings file could not be read and saves go to the
  // pending file.
  bool IsSettingsFileUnread() const { return file_.IsUnread(); }
  // True once another program changed the file since it was read and saves
  // go to the pending file.
  bool IsSettingsFileDiverted() const { return file_.IsDiverted(); }
  std::string PendingSettingsPath() const { return file_.PendingPath(); }

  ScheduleTable& Table() { return table_; }
  const ScheduleTable& Table() const { return table_; }
  CAppMngInfo& AppInfo() { return appInfo_; }
  const CAppMngInfo& AppInfo() const { return appInfo_; }
  NotifySettings& Notify() { return notify_; }
  const NotifySettings& Notify() const { return notify_; }
  const std::string& SettingsPath() const { return file_.Path(); }
  // The chosen TV listings site's address ("" when none).
  const char* GetListingsUrl() const { return listingsUrl_; }
  [[nodiscard]] bool SetListingsUrl(const std::string& url);
  // Entries that were stored beyond the table's capacity; kept and saved back.
  int GetSurplusCount() const { return static_cast<int>(surplus_.size()); }
  // The occurrences of repeating entries that ended while the program was
  // not running, which the load moved on from (the journal looks for the
  // windows missed among them, as among the table's finished entries).
  const std::vector<ScheduleEntry>& EndedAtLoad() const { return endedAtLoad_; }

  // Shows an OK message with the application title as caption.
  void ShowMessage(const std::string& utf8Text);

 private:
  // Moves repeating entries that ended before now on to their next
  // occurrence, where it overlaps nothing (loading).
  void RollOnEndedRepeats(int64_t now);
  // Puts one stored entry into its sorted place; false when its window
  // overlaps an entry already there.
  bool PlaceStoredEntry(const StoredEntry& stored, int64_t now);
  // Where the entry the user chose (as it was when the dialog or question
  // opened) is now: the tick runs on meanwhile and may re-sort the table. -1,
  // after telling the user with refusedText, when it ended meanwhile.
  int LocateChosen(const ScheduleEntry& chosen, const char* refusedText);
  // Puts entry back at index without the time checks, with its own state.
  void RestoreEntry(int index, const ScheduleEntry& entry);
  bool AfterAccepted();

  IClock& clock_;
  IPrompt& prompt_;
  CDebugLog& log_;
  INimbraView* view_ = nullptr;
  TellOnce<> saveFailure_;
  CSettingsFile file_;
  ScheduleTable table_;
  CAppMngInfo appInfo_;
  NotifySettings notify_;
  char listingsUrl_[kPathSize] = {};
  std::vector<StoredEntry> surplus_;
  std::vector<ScheduleEntry> endedAtLoad_;
};
