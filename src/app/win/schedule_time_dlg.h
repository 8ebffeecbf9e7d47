#pragma once
// The reservation dialog (template 133): a title and the start and end of a
// one-shot schedule. It only gathers values; the document checks them.
#include "framework/dialog.h"
#include "schedule/reservation_rules.h"

class CScheduleTimeDlg : public CDialog, public ReservationValues {
 public:
  explicit CScheduleTimeDlg(HWND parent);
  INT_PTR DoModal() { return CDialog::DoModal(parent_); }

 protected:
  void DoDataExchange(CDataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  HWND parent_;
};
