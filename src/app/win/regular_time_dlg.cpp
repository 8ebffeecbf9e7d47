#include "app/win/regular_time_dlg.h"

#include <commctrl.h>

#include "app/win/picker.h"
#include "app/win/resource.h"
#include "framework/data_exchange.h"
#include "framework/message_box.h"
#include "platform/clock.h"
#include "schedule/reservation_rules.h"

namespace {

// Weekday boxes by weekday (Sunday first).
constexpr int kWeekBoxes[7] = {IDC_WEEK_SUN, IDC_WEEK_MON, IDC_WEEK_TUE, IDC_WEEK_WED,
                               IDC_WEEK_THU, IDC_WEEK_FRI, IDC_WEEK_SAT};

}  // namespace

CRegularTimeDlg::CRegularTimeDlg(HWND parent, IClock& clock)
    : CDialog(IDD_REGULAR_TIME), parent_(parent), clock_(clock) {}

void CRegularTimeDlg::SetValues(const RepeatValues& v) {
  m_start = v.m_start;
  m_end = v.m_end;
  m_kikan_s = v.m_kikan_s;
  m_kikan_e = v.m_kikan_e;
  m_b_way = v.m_b_way;
  m_loop_meth = v.m_loop_meth;
  m_loop = v.m_loop;
  m_kikan_f = v.m_kikan_f;
  m_title = v.m_title;
  m_title_made = v.m_title_made;
  m_existing = v.m_existing;
}

RepeatValues CRegularTimeDlg::Values() const {
  RepeatValues v;
  v.m_start = m_start;
  v.m_end = m_end;
  v.m_kikan_s = m_kikan_s;
  v.m_kikan_e = m_kikan_e;
  v.m_b_way = m_b_way;
  v.m_loop_meth = m_loop_meth;
  v.m_loop = m_loop;
  v.m_kikan_f = m_kikan_f;
  v.m_title = m_title;
  v.m_title_made = m_title_made;
  v.m_existing = m_existing;
  return v;
}

void CRegularTimeDlg::DoDataExchange(CDataExchange& dx) {
  // The title is exchanged on its own (at opening and OK): a title too long
  // is told at OK, not at every click on a box.
  dx.Check(IDC_LOOP, m_loop);
  dx.Check(IDC_KIKAN_F, m_kikan_f);
}

void CRegularTimeDlg::ShowTitle(const std::string& sjis) {
  showingTitle_ = true;
  CDataExchange dx(*this, false);
  std::string text = sjis;
  dx.Text(IDC_REG_TITLE, text, kReservationTitleLimit, TextCoding::kSjis);
  showingTitle_ = false;
}

void CRegularTimeDlg::FollowMadeTitle() {
  if (!m_title_made) return;
  m_title = MadeRepeatTitleSjis(IsItemChecked(IDC_LOOP), SelectedMethod(), CheckedWeekdays(),
                                m_existing);
  ShowTitle(m_title);
}

BOOL CRegularTimeDlg::OnInitDialog() {
  const RepeatDialogInit init = InitRepeatDialog(Values(), clock_.LocalNow());
  SetValues(init.values);
  CDialog::OnInitDialog();
  EnableItem(IDC_KIKAN_F, init.periodBoxEnabled);

  for (int i = 0; i < 6; ++i) AddComboItemUtf8(IDC_LOOP_METHOD, GetMethodName(i));
  SetComboIndex(IDC_LOOP_METHOD, 0);
  for (int i = kEndDaySame; i <= kEndDayNext; ++i) AddComboItemUtf8(IDC_END_DAY, GetEndDayName(i));
  SetComboIndex(IDC_END_DAY, init.endDayIndex);

  SetPickerTime(GetItem(IDC_REG_START_TIME), init.startTime);
  SetPickerTime(GetItem(IDC_REG_END_TIME), init.endTime);
  EnableRepeatControls(m_loop != 0);
  // Without repetition the period pickers show today by the program's clock
  // (not the picker's own idea of today): ticking the repeat box later dates
  // the first occurrence from them.
  SetPickerTime(GetItem(IDC_KIKAN_S), init.periodStart);
  SetPickerTime(GetItem(IDC_KIKAN_E), init.periodEnd);
  LimitPickerToLatest(GetItem(IDC_KIKAN_S));
  LimitPickerToLatest(GetItem(IDC_KIKAN_E));
  SetWeekdays(init.weekdayBits);
  SetComboIndex(IDC_LOOP_METHOD, init.methodIndex);
  ShowTitle(m_title);
  FollowMadeTitle();
  return TRUE;
}

void CRegularTimeDlg::EnableRepeatControls(bool on) {
  for (const auto& [id, enabled] : RepeatControlEnabling(on)) EnableItem(id, enabled);
  if (on) SetItemTextUtf8(IDC_FIRST_DAY, kFirstRunUnset);
}

int32_t CRegularTimeDlg::CheckedWeekdays() const {
  int32_t bits = 0;
  for (int d = 0; d < 7; ++d) {
    if (IsItemChecked(kWeekBoxes[d])) bits |= 1 << d;
  }
  return bits;
}

void CRegularTimeDlg::SetWeekdays(int32_t bits) {
  for (int d = 0; d < 7; ++d) CheckItem(kWeekBoxes[d], (bits & (1 << d)) != 0);
}

int CRegularTimeDlg::SelectedMethod() const {
  const int i = GetComboIndex(IDC_LOOP_METHOD);
  return i >= 0 && i < 6 ? i : 0;
}

int CRegularTimeDlg::SelectedEndDay() const {
  return GetComboIndex(IDC_END_DAY) == kEndDayNext ? kEndDayNext : kEndDaySame;
}

bool CRegularTimeDlg::OnCommand(int id, int code, HWND) {
  if (id == IDC_REG_TITLE && code == EN_CHANGE) {
    if (!showingTitle_) m_title_made = false;  // the user's own title from now on
    return true;
  }
  if (id == IDC_LOOP && code == BN_CLICKED) {
    UpdateData(true);
    EnableRepeatControls(m_loop != 0);
    FollowMadeTitle();
    return true;
  }
  if (id == IDC_LOOP_METHOD && code == CBN_SELCHANGE) {
    UpdateData(true);
    const MethodChange change =
        OnRepeatMethodChanged(SelectedMethod(), CheckedWeekdays(), clock_.LocalNow());
    SetWeekdays(change.weekdayBits);
    SetPickerTime(GetItem(IDC_KIKAN_S), change.periodStart);
    FollowMadeTitle();
    return true;
  }
  for (int box : kWeekBoxes) {
    if (id == box && code == BN_CLICKED) {
      UpdateData(true);
      const std::string text = FirstRunText(
          CheckedWeekdays(), GetPickerTime(GetItem(IDC_REG_START_TIME)), clock_.LocalNow());
      SetItemTextUtf8(IDC_FIRST_DAY, text);
      FollowMadeTitle();
      return true;
    }
  }
  return false;
}

void CRegularTimeDlg::OnOK() {
  // The title's limit and message are the reservation dialog's.
  CDataExchange titleExchange(*this, true);
  std::string title = m_title;
  titleExchange.Text(IDC_REG_TITLE, title, kReservationTitleLimit, TextCoding::kSjis);
  if (titleExchange.Failed()) return;
  m_title = title;
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

  // The members take the boxes' state whatever the answer; the rule shows
  // its messages as boxes of this dialog.
  CWindowPrompt prompt(*this);
  RepeatValues values = Values();
  const bool close = RunRepeatDialogOk(input, values, clock_.LocalNow(), prompt);
  SetValues(values);
  UpdateData(false);
  if (close) EndDialog(IDOK);
}
