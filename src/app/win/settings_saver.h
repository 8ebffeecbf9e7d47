#pragma once
// Tells the user, over the main window, that the settings file cannot be
// written, so that edits are not lost without notice. Every save goes through
// CNimbraDoc::CommitEdit, which decides when to tell.
#include <windows.h>

class CNimbraDoc;

class CSettingsSaver {
 public:
  explicit CSettingsSaver(CNimbraDoc& doc) : doc_(doc) {}
  void ReportFailure(HWND owner);

 private:
  CNimbraDoc& doc_;
};
