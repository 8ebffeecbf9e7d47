#pragma once
// The repeat reservation dialog (template 136): start and end time of day,
// the repeat method and weekdays, and the period. It checks the combination,
// warns when the first occurrence has passed and asks for confirmation with a
// summary before it closes with IDOK.
#include <string>

#include "framework/dialog.h"
#include "platform/system_time.h"

class IClock;

class CRegularTimeDlg : public CDialog {
 public:
  CRegularTimeDlg(HWND parent, IClock& clock);
  INT_PTR DoModal() { return CDialog::DoModal(parent_); }

  // The method's item text (UTF-8); "毎週" past the list.
  static const char* GetMethodName(int index);
  // The weekday letters of the set bits, Sunday first (UTF-8).
  static std::string GetWeekString(int bits);

  SystemTime m_start{};
  SystemTime m_end{};
  SystemTime m_kikan_s{};
  SystemTime m_kikan_e{};
  int m_b_way = 0;
  int m_loop_meth = 0;
  int m_loop = 0;
  int m_kikan_f = 0;

 protected:
  void DoDataExchange(CDataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void EnableRepeatControls(bool on);
  int CheckedWeekdays() const;
  void SetWeekdays(int bits);
  SystemTime FindFirstDay(const SystemTime& reference);
  void OnMethodChanged();
  void OnWeekdayClicked();
  int SelectedMethod() const;
  int SelectedEndDay() const;

  HWND parent_;
  IClock& clock_;
};
