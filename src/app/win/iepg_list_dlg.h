#pragma once
// The list of a multi-programme iEPG file (template 140): title, station,
// date and times of each programme with a check box, all ticked when it
// opens. OK keeps what the user left ticked.
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "iepg/iepg_import.h"

class CIepgListDlg : public CDialog {
 public:
  explicit CIepgListDlg(HWND parent);
  INT_PTR DoModal() { return CDialog::DoModal(parent_); }

  std::string m_fileTitle;          // UTF-8; the file's own title, may be empty
  std::vector<IepgListRow> m_rows;  // in and out: ticked

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  HWND parent_;
};
