#include "app/win/regular_time_dlg.h"

#include <commctrl.h>

#include <cstdarg>
#include <cstdio>

#include "app/win/picker.h"
#include "app/win/resource.h"
#include "framework/message_box.h"
#include "platform/clock.h"
#include "platform/win32/text_win.h"
#include "schedule/time_rules.h"

namespace {

const char* const kMethodNames[kRepeatMethodCount] = {
    "毎週", "毎日", "毎週（月、水、金）", "毎週（火、木）", "毎週（月～金）", "毎週（土、日）",
};
const char* const kWeekLetters[7] = {"日", "月", "火", "水", "木", "金", "土"};
const wchar_t* const kEndDays[2] = {L"同", L"翌"};
// Weekday boxes by weekday (Sunday first).
constexpr int kWeekBoxes[7] = {IDC_WEEK_SUN, IDC_WEEK_MON, IDC_WEEK_TUE, IDC_WEEK_WED,
                               IDC_WEEK_THU, IDC_WEEK_FRI, IDC_WEEK_SAT};

const char kError1[] =
    "日時指定error\n終了日(時刻)が開始日(時刻)より早い、\nまたは開始日と指定曜日が一致していない";

std::string Printf(const char* format, ...) {
  char buf[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  return buf;
}

const char* Letter(int dayOfWeek) { return kWeekLetters[dayOfWeek % 7]; }

bool LaterDate(const SystemTime& a, const SystemTime& b) {
  if (a.wYear != b.wYear) return a.wYear > b.wYear;
  if (a.wMonth != b.wMonth) return a.wMonth > b.wMonth;
  return a.wDay > b.wDay;
}

SystemTime AddSeconds(const SystemTime& t, int64_t delta) {
  SystemTime r = t;
  SecondsToTime(static_cast<int64_t>(TimeToSeconds(t)) + delta, &r);
  return r;
}

}  // namespace

CRegularTimeDlg::CRegularTimeDlg(HWND parent, IClock& clock)
    : CDialog(IDD_REGULAR_TIME), parent_(parent), clock_(clock) {}

const char* CRegularTimeDlg::GetMethodName(int index) {
  return index >= 0 && index < kRepeatMethodCount ? kMethodNames[index] : kMethodNames[0];
}

std::string CRegularTimeDlg::GetWeekString(int bits) {
  std::string s;
  for (int d = 0; d < 7; ++d) {
    if (bits & (1 << d)) s += kWeekLetters[d];
  }
  return s;
}

void CRegularTimeDlg::DoDataExchange(CDataExchange& dx) {
  dx.Check(IDC_LOOP, m_loop);
  dx.Check(IDC_KIKAN_F, m_kikan_f);
}

BOOL CRegularTimeDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // A repeating schedule always has its period; the box only shows it.
  m_kikan_f = 1;
  SendMessageW(GetItem(IDC_KIKAN_F), BM_SETCHECK, BST_CHECKED, 0);
  EnableWindow(GetItem(IDC_KIKAN_F), FALSE);
  // 1970 marks a period date that was never set.
  const SystemTime now = clock_.LocalNow();
  if (m_kikan_s.wYear == 1970) m_kikan_s = now;
  if (m_kikan_e.wYear == 1970) m_kikan_e = now;

  HWND method = GetItem(IDC_LOOP_METHOD);
  for (const char* name : kMethodNames) {
    SendMessageW(method, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(name).c_str()));
  }
  SendMessageW(method, CB_SETCURSEL, 0, 0);
  HWND endDay = GetItem(IDC_END_DAY);
  for (const wchar_t* day : kEndDays) {
    SendMessageW(endDay, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(day));
  }
  SendMessageW(endDay, CB_SETCURSEL, 0, 0);

  SetPickerTime(GetItem(IDC_REG_START_TIME), m_start);
  SetPickerTime(GetItem(IDC_REG_END_TIME), m_end);
  if (LaterDate(m_end, m_start)) SendMessageW(endDay, CB_SETCURSEL, 1, 0);

  if (m_loop) {
    EnableRepeatControls(true);
    SetPickerTime(GetItem(IDC_KIKAN_S), m_kikan_s);
    SetPickerTime(GetItem(IDC_KIKAN_E), m_kikan_e);
  } else {
    EnableRepeatControls(false);
  }
  SetWeekdays(m_b_way);
  SendMessageW(method, CB_SETCURSEL,
               m_loop_meth >= 0 && m_loop_meth < kRepeatMethodCount ? m_loop_meth : 0, 0);
  return TRUE;
}

void CRegularTimeDlg::EnableRepeatControls(bool on) {
  const BOOL e = on ? TRUE : FALSE;
  for (int id : {IDC_LOOP_METHOD, IDC_LOOP_GROUP, IDC_WEEK_GROUP, IDC_KIKAN_S, IDC_KIKAN_E,
                 IDC_KIKAN_S_LABEL, IDC_KIKAN_E_LABEL, IDC_KIKAN_GROUP}) {
    EnableWindow(GetItem(id), e);
  }
  for (int id : kWeekBoxes) EnableWindow(GetItem(id), e);
  if (on) SetWindowTextW(GetItem(IDC_FIRST_DAY), L"---");
  EnableWindow(GetItem(IDC_FIRST_DAY), FALSE);
  EnableWindow(GetItem(IDC_FIRST_DAY_LABEL), FALSE);
}

int CRegularTimeDlg::CheckedWeekdays() const {
  int bits = 0;
  for (int d = 0; d < 7; ++d) {
    if (SendMessageW(GetItem(kWeekBoxes[d]), BM_GETCHECK, 0, 0) == BST_CHECKED) bits |= 1 << d;
  }
  return bits;
}

void CRegularTimeDlg::SetWeekdays(int bits) {
  for (int d = 0; d < 7; ++d) {
    SendMessageW(GetItem(kWeekBoxes[d]), BM_SETCHECK,
                 (bits & (1 << d)) ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

int CRegularTimeDlg::SelectedMethod() const {
  const LRESULT i = SendMessageW(GetItem(IDC_LOOP_METHOD), CB_GETCURSEL, 0, 0);
  return i >= 0 && i < kRepeatMethodCount ? static_cast<int>(i) : 0;
}

int CRegularTimeDlg::SelectedEndDay() const {
  const LRESULT i = SendMessageW(GetItem(IDC_END_DAY), CB_GETCURSEL, 0, 0);
  return i == 1 ? 1 : 0;
}

SystemTime CRegularTimeDlg::FindFirstDay(const SystemTime& reference) {
  UpdateData(true);
  const int bits = CheckedWeekdays();
  const int w = reference.wDayOfWeek % 7;
  int offset = -1;
  for (int d = w; d <= 6 && offset < 0; ++d) {
    if (bits & (1 << d)) offset = d - w;
  }
  for (int d = 0; d < w && offset < 0; ++d) {
    if (bits & (1 << d)) offset = d - w + 7;
  }
  return AddSeconds(reference, static_cast<int64_t>(offset) * 86400);
}

void CRegularTimeDlg::OnMethodChanged() {
  UpdateData(true);
  const int method = SelectedMethod();
  if (method != 0) SetWeekdays(MethodWeekdays(method));
  SetPickerTime(GetItem(IDC_KIKAN_S), FindFirstDay(clock_.LocalNow()));
}

void CRegularTimeDlg::OnWeekdayClicked() {
  const SystemTime now = clock_.LocalNow();
  SystemTime d = FindFirstDay(now);
  const SystemTime first = ComposeDateAndTime(d, GetPickerTime(GetItem(IDC_REG_START_TIME)));
  if (TimeToSeconds(first) < TimeToSeconds(now)) d = FindFirstDay(AddSeconds(first, 86400));
  const std::string text =
      Printf("%02d/%02d/%02d (%s)", d.wYear, d.wMonth, d.wDay, Letter(d.wDayOfWeek));
  SetWindowTextW(GetItem(IDC_FIRST_DAY), Utf8ToWide(text).c_str());
}

bool CRegularTimeDlg::OnCommand(int id, int code, HWND) {
  if (id == IDC_LOOP && code == BN_CLICKED) {
    UpdateData(true);
    EnableRepeatControls(m_loop != 0);
    return true;
  }
  if (id == IDC_LOOP_METHOD && code == CBN_SELCHANGE) {
    OnMethodChanged();
    return true;
  }
  for (int box : kWeekBoxes) {
    if (id == box && code == BN_CLICKED) {
      OnWeekdayClicked();
      return true;
    }
  }
  return false;
}

void CRegularTimeDlg::OnOK() {
  UpdateData(true);
  const SystemTime startTime = GetPickerTime(GetItem(IDC_REG_START_TIME));
  const SystemTime endTime = GetPickerTime(GetItem(IDC_REG_END_TIME));
  const SystemTime firstStart = ComposeDateAndTime(GetPickerTime(GetItem(IDC_KIKAN_S)), startTime);
  const SystemTime lastEnd = ComposeDateAndTime(GetPickerTime(GetItem(IDC_KIKAN_E)), endTime);
  const SystemTime firstEnd = ComposeDateAndTime(firstStart, endTime);
  const int endDay = SelectedEndDay();
  const int64_t tStart = TimeToSeconds(firstStart);
  const int64_t tEnd = TimeToSeconds(firstEnd) + (endDay != 0 ? 86400 : 0);
  const int bits = CheckedWeekdays();
  const int method = SelectedMethod();

  const bool wrongOrder = tStart > tEnd;
  const bool wrongWeekday = m_loop && method != 1 && !(bits & (1 << (firstStart.wDayOfWeek % 7)));
  const bool afterPeriod = m_loop && m_kikan_f && tStart > TimeToSeconds(lastEnd);
  if (wrongOrder || wrongWeekday || afterPeriod) {
    PlainMessageBox(GetHwnd(), Utf8ToWide(kError1), MB_OK);
    return;
  }

  SecondsToTime(tEnd, &m_end);
  m_start = firstStart;
  m_kikan_s = firstStart;
  m_kikan_e = lastEnd;
  m_loop_meth = method;
  m_kikan_f = (m_kikan_f && m_loop) ? 1 : 0;
  m_b_way = method == 0 ? bits : MethodWeekdays(method);
  UpdateData(false);

  const char* dayText = endDay != 0 ? "翌" : "同";
  if (m_loop) {
    const SystemTime now = clock_.LocalNow();
    const int64_t tNow = TimeToSeconds(now);
    if (tStart < tNow || tEnd < tNow) {
      const std::string e2 = Printf(
          "設定した日時は既に過ぎています\n\n現在時刻：　　%02d/%02d/%02d　%02d:%02d:%02d\n\n"
          "初回起動日　%02d/%02d/%02d　終了日　%02d/%02d/%02d\n起動時刻：　　%02d:%02d:%02d\n"
          "終了時刻：　　%02d:%02d:%02d(%s)\n",
          now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, firstStart.wYear,
          firstStart.wMonth, firstStart.wDay, m_end.wYear, m_end.wMonth, m_end.wDay,
          firstStart.wHour, firstStart.wMinute, firstStart.wSecond, firstEnd.wHour,
          firstEnd.wMinute, firstEnd.wSecond, dayText);
      PlainMessageBox(GetHwnd(), Utf8ToWide(e2), MB_OK);
      return;
    }
    const std::string lastText =
        m_kikan_f ? Printf("%02d/%02d/%02d (%s)", lastEnd.wYear, lastEnd.wMonth, lastEnd.wDay,
                           Letter(lastEnd.wDayOfWeek))
                  : std::string("---");
    const std::string summary = Printf(
        "繰り返し設定：%s\n繰り返し期間：%s\n繰り返し方法：%s %s\n起動時刻：　　%02d:%02d:%02d\n"
        "終了時刻：　　%02d:%02d:%02d (%s)\n（初回起動日　%02d/%02d/%02d　初回終了日　%02d/%02d/"
        "%02d）\n開始日：　　　%02d/%02d/%02d (%s)\n終了日：　　　%s\n\nこの設定でよろしいですか？\n",
        m_loop ? "あり" : "なし", (m_kikan_f && m_loop) ? "あり" : "無制限", GetMethodName(method),
        method == 0 ? GetWeekString(bits).c_str() : "", firstStart.wHour, firstStart.wMinute,
        firstStart.wSecond, firstEnd.wHour, firstEnd.wMinute, firstEnd.wSecond, dayText,
        firstStart.wYear, firstStart.wMonth, firstStart.wDay, m_end.wYear, m_end.wMonth,
        m_end.wDay, firstStart.wYear, firstStart.wMonth, firstStart.wDay,
        Letter(firstStart.wDayOfWeek), lastText.c_str());
    const int answer = MessageBoxW(GetHwnd(), Utf8ToWide(summary).c_str(), L"設定の確認",
                                   MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) return;
  }
  EndDialog(IDOK);
}
