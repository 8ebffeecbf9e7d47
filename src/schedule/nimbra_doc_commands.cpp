// The document's editing commands: the dialog loops around AddSchedule.
#include <cstdio>
#include <cstring>

#include "platform/clock.h"
#include "platform/prompt.h"
#include "platform/text.h"
#include "schedule/nimbra_doc.h"
#include "schedule/nimbra_view_interface.h"
#include "schedule/repeat_rules.h"
#include "schedule/reservation_rules.h"
#include "schedule/table_queries.h"
#include "schedule/time_rules.h"

std::string SettingsSaveFailedText(const std::string& pathUtf8) {
  return "設定ファイルに保存できませんでした。\n" + pathUtf8 +
         "\n\n入力した内容はこのまま使われ、次の変更のときと終了するときにもう一度保存します。";
}

namespace {
std::string SettingsSaveFailedAtExitText(const std::string& pathUtf8) {
  return "設定ファイルに保存できませんでした。\n" + pathUtf8 +
         "\n\nほかのプログラムがこのファイルを開いているときは、それを閉じてから「はい」を押すと"
         "もう一度保存します。\n「いいえ」で終了すると、前回保存したあとに入力した内容は失われます。"
         "\n\nもう一度保存しますか？";
}

const char* const kChosenEndedNotChanged =
    "選択したスケジュールはその間に終了したため、変更しませんでした。";
const char* const kChosenEndedNotDeleted =
    "選択したスケジュールはその間に終了したため、削除しませんでした。";
}  // namespace

bool CNimbraDoc::CommitEdit() {
  if (SaveSettings()) {
    saveFailure_.Worked();
    return true;
  }
  if (!saveFailure_.Failed()) return false;
  if (view_)
    view_->SettingsSaveFailed(SettingsPath());
  else
    prompt_.Show(SettingsSaveFailedText(SettingsPath()), kAppTitle,
                 PromptButtons::kOk);
  return false;
}

bool CNimbraDoc::CommitAtExit() {
  // A backup tool or an editor holding the file lets go within moments; the
  // user can also close it before answering.
  while (!SaveSettings()) {
    if (prompt_.Show(SettingsSaveFailedAtExitText(SettingsPath()), kAppTitle,
                     PromptButtons::kYesNo) != PromptAnswer::kYes)
      return false;
  }
  saveFailure_.Worked();
  return true;
}

bool CNimbraDoc::AfterAccepted() {
  view_->RefreshList();
  (void)CommitEdit();
  return true;
}

void CNimbraDoc::RestoreEntry(int index, const ScheduleEntry& entry) {
  // The slot was freed by removing this very entry, so it fits again.
  ScheduleEntry* slot = table_.InsertScheduleEntry(index, entry);
  if (slot) slot->state = entry.state;
}

int CNimbraDoc::LocateChosen(const ScheduleEntry& chosen, const char* refusedText) {
  // A repeating entry that rolled on no longer equals what was chosen; a
  // one-shot that ended is still there, finished.
  const int at = FindSameEntry(table_, chosen);
  if (at >= 0 &&
      (chosen.state == kStateFinished || table_.GetSchedule(at)->state != kStateFinished))
    return at;
  ShowMessage(refusedText);
  return -1;
}

bool CNimbraDoc::OnScheduleAdd() {
  if (!view_) return false;
  ReservationValues values = NewReservationValues(clock_.LocalNow());
  while (view_->ShowReservationDialog(values)) {
    if (AddSchedule(EntryFromReservation(values)) != -1) return AfterAccepted();
  }
  return false;
}

bool CNimbraDoc::AddScheduleFromSeconds(int64_t tStart, int64_t tEnd,
                                        const std::string& titleSjis) {
  SystemTime s{}, e{};
  SecondsToTime(tStart, &s);
  SecondsToTime(tEnd, &e);
  return AddScheduleWithDialog(s, e, titleSjis);
}

bool CNimbraDoc::AddScheduleWithDialog(const SystemTime& s, const SystemTime& e,
                                       const std::string& titleSjis) {
  if (!view_) return false;
  ReservationValues values;
  values.m_start = s;
  values.m_end = e;
  values.m_title = titleSjis;
  while (view_->ShowReservationDialog(values)) {
    if (AddSchedule(EntryFromReservation(values)) != -1) return AfterAccepted();
  }
  return false;
}

bool CNimbraDoc::OnScheduleChange() { return ChangeSchedule(false); }

bool CNimbraDoc::ChangeSchedule(bool forceRepeatDialog) {
  if (!view_) return false;
  const int k = view_->GetSelectedRow();
  if (k < 0 || k >= table_.GetScheduleCount()) return false;
  const ScheduleEntry cur = *table_.GetSchedule(k);

  // Replaces the chosen entry, wherever it is now, by entry; a refused entry
  // leaves the old one exactly as it was, so a further attempt replaces that
  // same entry. ended turns true when the chosen entry ended meanwhile.
  bool ended = false;
  auto replace = [this, &cur, &ended](const ScheduleEntry& entry) {
    const int at = LocateChosen(cur, kChosenEndedNotChanged);
    if (at < 0) {
      ended = true;
      return false;
    }
    const ScheduleEntry backup = *table_.GetSchedule(at);
    table_.DeleteSchedule(at);
    if (AddSchedule(entry) != -1) return true;
    RestoreEntry(at, backup);
    return false;
  };

  bool accepted = false;
  if (forceRepeatDialog || cur.loop) {
    RepeatValues values = RepeatValuesFor(cur);
    while (!accepted && !ended && view_->ShowRepeatDialog(values))
      accepted = replace(EntryFromRepeat(values));
  } else {
    ReservationValues values = ReservationValuesFor(cur);
    while (!accepted && !ended && view_->ShowReservationDialog(values))
      accepted = replace(EntryFromReservation(values));
  }
  view_->RefreshList();
  view_->FocusRowClearSelection(k);
  if (accepted) (void)CommitEdit();
  return accepted;
}

bool CNimbraDoc::OnScheduleDelete() {
  if (!view_) return false;
  const int k = view_->GetSelectedRow();
  if (k < 0 || k >= table_.GetScheduleCount()) return false;
  const ScheduleEntry chosen = *table_.GetSchedule(k);
  char text[1024];
  std::snprintf(text, sizeof text, "No.%03d %s を削除しますか？", k + 1,
                SjisToUtf8(std::string_view(chosen.title, strnlen(chosen.title, kTitleSize)))
                    .c_str());
  if (prompt_.Show(text, kAppTitle, PromptButtons::kYesNo) != PromptAnswer::kYes) return false;
  const int at = LocateChosen(chosen, kChosenEndedNotDeleted);
  if (at < 0) {
    view_->RefreshList();
    return false;
  }
  table_.DeleteSchedule(at);
  return AfterAccepted();
}

bool CNimbraDoc::OnRegularSchedule() {
  if (!view_) return false;
  const int k = view_->GetSelectedRow();
  if (k >= 0 && k < table_.GetScheduleCount())
    return ChangeSchedule(table_.GetSchedule(k)->loop == 0);
  RepeatValues values = NewRepeatValues(clock_.LocalNow());
  while (view_->ShowRepeatDialog(values)) {
    if (AddSchedule(EntryFromRepeat(values)) != -1) return AfterAccepted();
  }
  return false;
}
