#pragma once
// The journal window (実行履歴): every window of the journal, newest first,
// with its verdict; the ones short of fully awake in red. The list is
// virtual (the rows are made once, the list view asks for what it shows),
// so that thousands of windows open at once. CSV export for a spreadsheet.
#include <string>
#include <vector>

#include "engine/journal.h"
#include "framework/dialog.h"

class CJournalDlg : public CDialog {
 public:
  CJournalDlg(HWND parent, const std::vector<JournalEvent>& events, int64_t now);
  INT_PTR DoModal() { return CDialog::DoModal(parent_); }
  // The rows' count (for tests and the caption).
  size_t RowCount() const { return rows_.size(); }

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(NMHDR* header, LRESULT* result) override;

 private:
  struct Row {
    std::wstring cells[6];
    bool short_ = false;
  };
  void ExportCsv();

  HWND parent_;
  std::string csv_;
  std::vector<Row> rows_;
};
