#pragma once
// Saves the settings file at the program's save moments and tells the user,
// once per run, when the file cannot be written, so that edits are not lost
// without notice.
#include <windows.h>

class CNimbraDoc;

class CSettingsSaver {
 public:
  explicit CSettingsSaver(CNimbraDoc& doc) : doc_(doc) {}
  // True when the file was written.
  bool Save(HWND owner);
  // Tells the user that the file could not be written (once per run).
  void ReportFailure(HWND owner);

 private:
  CNimbraDoc& doc_;
  bool told_ = false;
};
