#pragma once
// The repeat reservation dialog (template 136): start and end time of day,
// the repeat method and weekdays, and the period. The rules are the portable
// ones of repeat_rules.h; this class moves values between them and the
// controls.
#include <cstdint>
#include <string>

#include "framework/dialog.h"
#include "platform/system_time.h"
#include "schedule/repeat_rules.h"

class IClock;
class IPrompt;

class CRegularTimeDlg : public CDialog {
 public:
  CRegularTimeDlg(HWND parent, IClock& clock);
  INT_PTR DoModal() { return CDialog::DoModal(parent_); }

  // What the dialog shows when it opens and holds after OK, also after a
  // refused OK (RepeatValues tells each one's meaning).
  SystemTime m_start{};
  SystemTime m_end{};
  SystemTime m_kikan_s{};
  SystemTime m_kikan_e{};
  int32_t m_b_way = 0;
  int32_t m_loop_meth = 0;
  int32_t m_loop = 0;
  int32_t m_kikan_f = 0;
  std::string m_title;
  bool m_title_made = true;
  bool m_existing = false;

  // All of the above at once, as the repeat rules take and give them.
  void SetValues(const RepeatValues& v);
  RepeatValues Values() const;

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
