#pragma once
// What the document asks of its list view. The Win32 view implements it;
// tests script it. Message boxes do not go through here but through the
// document's prompt service.
#include <string>

struct ReservationValues;
struct RepeatValues;

class INimbraView {
 public:
  virtual ~INimbraView() = default;

  // The selected row (its number is the table index), or -1 when none.
  virtual int GetSelectedRow() = 0;
  // Rebuilds every row from the table.
  virtual void RefreshList() = 0;
  // Gives row the focused state and clears its selected state.
  virtual void FocusRowClearSelection(int row) = 0;

  // Shows the reservation dialog modally, opening with values. On OK values
  // holds what the user confirmed and the result is true; false on Cancel
  // (values then do not matter).
  virtual bool ShowReservationDialog(ReservationValues& values) = 0;
  // The same for the repeat dialog; OK means its own checks and the user's
  // confirmation have passed (RunRepeatDialogOk).
  virtual bool ShowRepeatDialog(RepeatValues& values) = 0;

  // The settings file could not be written. Called once when
  // saving starts to fail (not again until a save has succeeded), so the
  // window can tell the user, e.g. with SettingsSaveFailedText. path is
  // UTF-8, as every path of the program.
  virtual void SettingsSaveFailed(const std::string& path) = 0;
};

// The message for SettingsSaveFailed; pathUtf8 is the file's path as UTF-8.
std::string SettingsSaveFailedText(const std::string& pathUtf8);
