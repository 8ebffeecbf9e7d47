#include "app/win/wake_diagnosis_dlg.h"

#include "app/win/resource.h"

CWakeDiagnosisDlg::CWakeDiagnosisDlg(std::string report)
    : CDialog(IDD_WAKE_DIAGNOSIS), report_(std::move(report)) {}

BOOL CWakeDiagnosisDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // A multi-line edit breaks lines at CR LF only.
  std::string text;
  for (char c : report_) {
    if (c == '\n') text += '\r';
    text += c;
  }
  SetItemTextUtf8(IDC_WAKE_REPORT, text);
  SetFocus(GetItem(IDOK));
  return FALSE;
}

bool CWakeDiagnosisDlg::OnCommand(int id, int code, HWND) {
  if (id != IDC_WAKE_TEST || code != BN_CLICKED) return false;
  EndDialog(IDC_WAKE_TEST);
  return true;
}
