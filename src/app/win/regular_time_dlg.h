#pragma once
// The repeat reservation dialog (template 136): start and end time of day,
// the repeat method and weekdays, and the period. The rules are the portable
// ones of repeat_rules.h; this class moves values between them and the
// controls.
#include "framework/dialog.h"
#include "schedule/repeat_rules.h"

class IClock;
class IPrompt;

class CRegularTimeDlg : public CDialog, public RepeatValues {
 public:
  CRegularTimeDlg(HWND parent, IClock& clock);
  INT_PTR DoModal() { return CDialog::DoModal(parent_); }

 protected:
  void DoDataExchange(CDataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void EnableRepeatControls(bool on);
  int32_t CheckedWeekdays() const;
  void SetWeekdays(int32_t bits);
  int SelectedMethod() const;
  int SelectedEndDay() const;
  // While the title is the made one, shows the title made from the boxes.
  void FollowMadeTitle();
  void ShowTitle(const std::string& sjis);

  HWND parent_;
  IClock& clock_;
  bool showingTitle_ = false;  // the title box changes by our own hand
};
