#include "app/win/regular_time_dlg.h"

#include <commctrl.h>

#include "app/win/picker.h"
#include "app/win/resource.h"
#include "framework/message_box.h"
#include "platform/clock.h"
#include "platform/win32/text_win.h"

namespace {

// Weekday boxes by weekday (Sunday first).
constexpr int kWeekBoxes[7] = {IDC_WEEK_SUN, IDC_WEEK_MON, IDC_WEEK_TUE, IDC_WEEK_WED,
                               IDC_WEEK_THU, IDC_WEEK_FRI, IDC_WEEK_SAT};

}  // namespace

CRegularTimeDlg::CRegularTimeDlg(HWND parent, IClock& clock)
    : CDialog(IDD_REGULAR_TIME), parent_(parent), clock_(clock) {}

void CRegularTimeDlg::DoDataExchange(CDataExchange& dx) {
  dx.Check(IDC_LOOP, m_loop);
  dx.Check(IDC_KIKAN_F, m_kikan_f);
}

BOOL CRegularTimeDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  const RepeatDialogInit init = InitRepeatDialog(*this, clock_.LocalNow());
  static_cast<RepeatValues&>(*this) = init.values;
  SendMessageW(GetItem(IDC_KIKAN_F), BM_SETCHECK, m_kikan_f ? BST_CHECKED : BST_UNCHECKED, 0);
  EnableWindow(GetItem(IDC_KIKAN_F), init.periodBoxEnabled ? TRUE : FALSE);

  HWND method = GetItem(IDC_LOOP_METHOD);
  for (int i = 0; i < 6; ++i) {
    SendMessageW(method, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(GetMethodName(i)).c_str()));
  }
  SendMessageW(method, CB_SETCURSEL, 0, 0);
  HWND endDay = GetItem(IDC_END_DAY);
  for (int i = kEndDaySame; i <= kEndDayNext; ++i) {
    SendMessageW(endDay, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(GetEndDayName(i)).c_str()));
  }
  SendMessageW(endDay, CB_SETCURSEL, init.endDayIndex, 0);

  SetPickerTime(GetItem(IDC_REG_START_TIME), init.startTime);
  SetPickerTime(GetItem(IDC_REG_END_TIME), init.endTime);
  EnableRepeatControls(m_loop != 0);
  if (m_loop) {
    SetPickerTime(GetItem(IDC_KIKAN_S), init.periodStart);
    SetPickerTime(GetItem(IDC_KIKAN_E), init.periodEnd);
  }
  SetWeekdays(init.weekdayBits);
  SendMessageW(method, CB_SETCURSEL, init.methodIndex, 0);
  return TRUE;
}

void CRegularTimeDlg::EnableRepeatControls(bool on) {
  for (const auto& [id, enabled] : RepeatControlEnabling(on)) {
    EnableWindow(GetItem(id), enabled ? TRUE : FALSE);
  }
  if (on) SetWindowTextW(GetItem(IDC_FIRST_DAY), Utf8ToWide(kFirstRunUnset).c_str());
}

int32_t CRegularTimeDlg::CheckedWeekdays() const {
  int32_t bits = 0;
  for (int d = 0; d < 7; ++d) {
    if (SendMessageW(GetItem(kWeekBoxes[d]), BM_GETCHECK, 0, 0) == BST_CHECKED) bits |= 1 << d;
  }
  return bits;
}

void CRegularTimeDlg::SetWeekdays(int32_t bits) {
  for (int d = 0; d < 7; ++d) {
    SendMessageW(GetItem(kWeekBoxes[d]), BM_SETCHECK,
                 (bits & (1 << d)) ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

int CRegularTimeDlg::SelectedMethod() const {
  const LRESULT i = SendMessageW(GetItem(IDC_LOOP_METHOD), CB_GETCURSEL, 0, 0);
  return i >= 0 && i < 6 ? static_cast<int>(i) : 0;
}

int CRegularTimeDlg::SelectedEndDay() const {
  const LRESULT i = SendMessageW(GetItem(IDC_END_DAY), CB_GETCURSEL, 0, 0);
  return i == kEndDayNext ? kEndDayNext : kEndDaySame;
}

bool CRegularTimeDlg::OnCommand(int id, int code, HWND) {
  if (id == IDC_LOOP && code == BN_CLICKED) {
    UpdateData(true);
    EnableRepeatControls(m_loop != 0);
    return true;
  }
  if (id == IDC_LOOP_METHOD && code == CBN_SELCHANGE) {
    UpdateData(true);
    const MethodChange change =
        OnRepeatMethodChanged(SelectedMethod(), CheckedWeekdays(), clock_.LocalNow());
    SetWeekdays(change.weekdayBits);
    SetPickerTime(GetItem(IDC_KIKAN_S), change.periodStart);
    return true;
  }
  for (int box : kWeekBoxes) {
    if (id == box && code == BN_CLICKED) {
      UpdateData(true);
      const std::string text = FirstRunText(
          CheckedWeekdays(), GetPickerTime(GetItem(IDC_REG_START_TIME)), clock_.LocalNow());
      SetWindowTextW(GetItem(IDC_FIRST_DAY), Utf8ToWide(text).c_str());
      return true;
    }
  }
  return false;
}

void CRegularTimeDlg::OnOK() {
  UpdateData(true);
  RepeatDialogInput input;
  input.loop = m_loop;
  input.kikanF = m_kikan_f;
  input.startTime = GetPickerTime(GetItem(IDC_REG_START_TIME));
  input.endTime = GetPickerTime(GetItem(IDC_REG_END_TIME));
  input.endDayIndex = SelectedEndDay();
  input.methodIndex = SelectedMethod();
  input.weekdayBits = CheckedWeekdays();
  input.periodStart = GetPickerTime(GetItem(IDC_KIKAN_S));
  input.periodEnd = GetPickerTime(GetItem(IDC_KIKAN_E));

  const RepeatOkResult result = RepeatDialogOk(input, *this, clock_.LocalNow());
  static_cast<RepeatValues&>(*this) = result.values;
  UpdateData(false);
  switch (result.outcome) {
    case RepeatOkOutcome::Refused:
      PlainMessageBox(GetHwnd(), Utf8ToWide(result.message), MB_OK);
      return;
    case RepeatOkOutcome::Confirm:
      if (MessageBoxW(GetHwnd(), Utf8ToWide(result.message).c_str(),
                      Utf8ToWide(kConfirmCaption).c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
      }
      EndDialog(IDOK);
      return;
    case RepeatOkOutcome::Close:
      EndDialog(IDOK);
      return;
  }
}
