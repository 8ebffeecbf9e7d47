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
#include "schedule/time_rules.h"

std::string SettingsSaveFailedText(const std::string& pathUtf8) {
  return "設定ファイルに保存できませんでした。\n" + pathUtf8 +
         "\n\n入力した内容はこのまま使われ、次の変更のときと終了するときにもう一度保存します。";
}

bool CNimbraDoc::CommitEdit() {
  if (SaveSettings()) {
    saveFailureReported_ = false;
    return true;
  }
  if (!saveFailureReported_ && view_) {
    saveFailureReported_ = true;
    view_->SettingsSaveFailed(settingsPath_);
  }
  return false;
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

  // Replaces the entry at row k by entry; a refused entry leaves the old one
  // at row k exactly as it was, so a further attempt replaces that same entry.
  auto replace = [this, k](const ScheduleEntry& entry) {
    const ScheduleEntry backup = *table_.GetSchedule(k);
    table_.DeleteSchedule(k);
    if (AddSchedule(entry) != -1) return true;
    RestoreEntry(k, backup);
    return false;
  };

  bool accepted = false;
  if (forceRepeatDialog || cur.loop) {
    RepeatValues values = RepeatValuesFor(cur);
    while (!accepted && view_->ShowRepeatDialog(values))
      accepted = replace(EntryFromRepeat(values, true));
  } else {
    ReservationValues values = ReservationValuesFor(cur);
    while (!accepted && view_->ShowReservationDialog(values))
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
  const ScheduleEntry* entry = table_.GetSchedule(k);
  char text[1024];
  std::snprintf(text, sizeof text, "No.%03d %s を削除しますか？", k + 1,
                SjisToUtf8(std::string_view(entry->title, strnlen(entry->title, kTitleSize)))
                    .c_str());
  if (prompt_.Show(text, kAppTitle, PromptButtons::YesNo) != PromptAnswer::Yes) return false;
  table_.DeleteSchedule(k);
  return AfterAccepted();
}

bool CNimbraDoc::OnRegularSchedule() {
  if (!view_) return false;
  const int k = view_->GetSelectedRow();
  if (k >= 0 && k < table_.GetScheduleCount())
    return ChangeSchedule(table_.GetSchedule(k)->loop == 0);
  RepeatValues values = NewRepeatValues(clock_.LocalNow());
  while (view_->ShowRepeatDialog(values)) {
    if (AddSchedule(EntryFromRepeat(values, false)) != -1) return AfterAccepted();
  }
  return false;
}
