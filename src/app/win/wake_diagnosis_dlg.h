#pragma once
// The wake diagnosis (template 144, ﾍﾙﾌﾟ → スリープ復帰の起動診断): the whole
// report, and the button that starts the wake self-test. The dialog only
// shows; the test is started by its caller once it has closed.
#include <string>

#include "framework/dialog.h"

class CWakeDiagnosisDlg : public CDialog {
 public:
  // report: the diagnosis's text (UTF-8, lines split by "\n").
  explicit CWakeDiagnosisDlg(std::string report);
  // IDOK or IDCANCEL when closed, IDC_WAKE_TEST for the test's button.
  INT_PTR DoModal(HWND parent) { return CDialog::DoModal(parent); }

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  std::string report_;
};
