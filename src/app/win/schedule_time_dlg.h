#pragma once
// The reservation dialog (template 133): a title and the start and end of a
// one-shot schedule. It only gathers values; the document checks them.
#include <string>

#include "framework/dialog.h"
#include "platform/system_time.h"

class CScheduleTimeDlg : public CDialog {
 public:
  explicit CScheduleTimeDlg(HWND parent);
  INT_PTR DoModal() { return CDialog::DoModal(parent_); }

  static constexpr size_t kTitleLimit = 256;  // bytes of Shift-JIS

  SystemTime m_start{};
  SystemTime m_end{};
  std::string m_title;  // Shift-JIS

 protected:
  void DoDataExchange(CDataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  HWND parent_;
};
