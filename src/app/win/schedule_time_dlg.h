#pragma once
// The reservation dialog (template 133): a title and the start and end of a
// one-shot schedule. It only gathers values; the document checks them.
#include <string>

#include "framework/dialog.h"
#include "platform/system_time.h"
#include "schedule/reservation_rules.h"

class CScheduleTimeDlg : public CDialog {
 public:
  explicit CScheduleTimeDlg(HWND parent);
  INT_PTR DoModal() { return CDialog::DoModal(parent_); }

  // What the dialog shows when it opens and holds after OK (a refused title
  // keeps it open; the times are taken on every OK).
  SystemTime m_start{};  // local start: the start-date and start-time pickers
  SystemTime m_end{};    // local end: the end-date and end-time pickers
  std::string m_title;   // Shift-JIS, at most kReservationTitleLimit bytes

 protected:
  void DoDataExchange(CDataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  HWND parent_;
};
