#include "app/win/nimbra_view.h"

#include <cstdio>
#include <cstring>

#include "app/win/main_frame.h"
#include "app/win/regular_time_dlg.h"
#include "app/win/resource.h"
#include "app/win/schedule_time_dlg.h"
#include "framework/message_box.h"
#include "platform/clock.h"
#include "platform/win32/text_win.h"
#include "schedule/nimbra_doc.h"
#include "schedule/time_rules.h"

namespace {

const wchar_t kViewClass[] = L"NimbraView";

struct ColumnSpec {
  const wchar_t* heading;
  int width;
};
constexpr ColumnSpec kColumns[CNimbraView::kColumnCount] = {
    {L"No", 50},     {L"タイトル", 120}, {L"起動時刻", 120}, {L"終了時刻", 120},
    {L"状態", 40},   {L"繰返し", 50},    {L"開始日", 80},    {L"終了日", 80},
};

std::wstring Format(const wchar_t* format, ...) {
  wchar_t buf[512];
  va_list args;
  va_start(args, format);
  _vsnwprintf(buf, sizeof buf / sizeof buf[0] - 1, format, args);
  va_end(args);
  buf[sizeof buf / sizeof buf[0] - 1] = L'\0';
  return buf;
}

std::wstring DateTimeText(const SystemTime& t) {
  return Format(L"%02d/%02d/%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
}

std::wstring StateWord(int32_t state) {
  switch (state) {
    case 0: return L"待ち";
    case 1: return L"実行";
    case 2: return L"終了";
    default: return L"未定義";
  }
}

std::wstring PeriodDateText(const ScheduleEntry& e, const SystemTime& d) {
  if (!(e.loop && e.kikan_f)) return L"指定なし";
  return Format(L"%02d/%02d/%02d (%ls)", d.wYear, d.wMonth, d.wDay,
                Utf8ToWide(CRegularTimeDlg::GetWeekString(1 << (d.wDayOfWeek % 7))).c_str());
}

std::wstring CellText(const ScheduleEntry& e, int row, int column) {
  switch (column) {
    case 0: return Format(L"%03d", row + 1);
    case 1: return SjisToWide(std::string(e.title, strnlen(e.title, sizeof e.title)));
    case 2: return DateTimeText(e.s);
    case 3: return DateTimeText(e.e);
    case 4: return StateWord(e.state);
    case 5: return e.loop ? L"あり" : L"なし";
    case 6: return PeriodDateText(e, e.kikan_s);
    case 7: return PeriodDateText(e, e.kikan_e);
    default: return std::wstring();
  }
}

// The title of a schedule from the repeat dialog, in Shift-JIS.
std::string RepeatTitle(const CRegularTimeDlg& dlg, const char* plainTitleUtf8) {
  std::string utf8;
  if (dlg.m_loop) {
    utf8 = std::string(CRegularTimeDlg::GetMethodName(dlg.m_loop_meth)) + " " +
           (dlg.m_loop_meth == 0 ? CRegularTimeDlg::GetWeekString(dlg.m_b_way) : std::string());
  } else {
    utf8 = plainTitleUtf8;
  }
  return WideToSjis(Utf8ToWide(utf8));
}

ScheduleEntry EntryFromRepeatDialog(const CRegularTimeDlg& dlg, const char* plainTitleUtf8) {
  ScheduleEntry e{};
  e.s = dlg.m_start;
  e.e = dlg.m_end;
  CopyTitle(e.title, RepeatTitle(dlg, plainTitleUtf8).c_str());
  if (dlg.m_loop) {
    SystemTime ks = dlg.m_kikan_s, ke = dlg.m_kikan_e;
    ClearTimeOfDay(&ks);
    ClearTimeOfDay(&ke);
    if (!dlg.m_kikan_f) ks = ke = SystemTime{};
    SetRepeatFields(&e, 1, dlg.m_loop_meth, dlg.m_b_way, dlg.m_kikan_f, ks, ke);
  }
  return e;
}

}  // namespace

CNimbraView::CNimbraView(CNimbraDoc& doc, CMainFrame& frame) : doc_(doc), frame_(frame) {}

CNimbraView::~CNimbraView() {
  tray_.Remove();
  Destroy();
}

bool CNimbraView::Create(HWND parent) {
  WNDCLASSEXW wc{};
  wc.lpszClassName = kViewClass;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.style = CS_DBLCLKS;
  if (!CWindow::RegisterClass(wc)) return false;
  if (!CWindow::Create(0, kViewClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                       parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDW_PANE_FIRST)))) {
    return false;
  }
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                              0, 0, 0, 0, GetHwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!list) return false;
  list_.Attach(list);
  return true;
}

void CNimbraView::OnInitialUpdate() {
  if (firstUpdate_) {
    list_.DeleteAllItems();
    for (int i = 0; i < kColumnCount; ++i) list_.DeleteColumn(0);
    list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < kColumnCount; ++i) list_.InsertColumn(i, kColumns[i].heading, 0);
    for (int i = 0; i < kColumnCount; ++i) list_.SetColumnWidth(i, ScaleForDpi(kColumns[i].width));
    RefreshList();
    firstUpdate_ = 0;
    // "繰り返し予約" starts grayed; command enabling decides from then on.
    HMENU operations = GetSubMenu(GetMenu(frame_.GetHwnd()), 1);
    if (operations) EnableMenuItem(operations, 4, MF_BYPOSITION | MF_GRAYED);
  }
  CAppMngInfo& info = doc_.AppInfo();
  if (info.GetStartWithFile()) {
    info.SetStartWithFile(0);
    SetTimer(GetHwnd(), kImportTimer, 500, nullptr);
  }
  SetTimer(GetHwnd(), kSchedulerTimer, 200, nullptr);
}

void CNimbraView::RefreshList() {
  list_.DeleteAllItems();
  const ScheduleTable& table = doc_.Table();
  const int count = table.GetScheduleCount();
  for (int i = 0; i < count; ++i) {
    const ScheduleEntry* e = table.GetSchedule(i);
    if (!e) break;
    const int row = list_.InsertItem(i + 1, CellText(*e, i, 0));
    for (int c = 1; c < kColumnCount; ++c) list_.SetItemText(row, c, CellText(*e, i, c));
  }
}

void CNimbraView::Go2Tray() {
  if (inTray_) return;
  UniqueIcon icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), 0)));
  // Without an icon in the notification area the hidden window could not be
  // brought back, so it stays shown.
  if (!tray_.Add(GetHwnd(), 0, kTrayMessage, icon.get(), AppTitle())) return;
  trayIconHandle_ = std::move(icon);
  hiddenFrame_ = frame_.GetHwnd();
  ShowWindow(hiddenFrame_, SW_HIDE);
  inTray_ = 1;
}

void CNimbraView::Come2Tray() {
  if (!inTray_) return;
  tray_.Remove();
  trayIconHandle_.reset();
  ShowWindow(hiddenFrame_, SW_SHOWNORMAL);
  hiddenFrame_ = nullptr;
  inTray_ = 0;
}

void CNimbraView::OnTaskbarCreated() {
  if (inTray_) tray_.Readd();
}

void CNimbraView::OpenUrl(const char* address) {
  if (!address || !*address) return;
  ShellExecuteW(GetHwnd(), L"open", AnsiToWide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool CNimbraView::ConfirmOperation(const char* utf8Text) {
  const std::wstring what = Utf8ToWide(utf8Text ? utf8Text : "未定義操作");
  const std::wstring q = Format(L"現在の操作( %ls )を続行しますか？", what.c_str());
  return AppMessageBox(GetHwnd(), q, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool CNimbraView::PreTranslateMessage(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.hwnd != list_.GetHwnd()) return false;
  if (msg.wParam == VK_RETURN) {
    OnScheduleChange();
    return true;
  }
  if (msg.wParam == VK_DELETE) {
    OnScheduleDelete();
    return true;
  }
  return false;
}

int CNimbraView::GetSelectedRow() const { return list_.GetNextItem(-1, LVNI_SELECTED); }

void CNimbraView::ShowOperationMenu(POINT pt) {
  HMENU operations = GetSubMenu(GetMenu(frame_.GetHwnd()), 1);
  TrackPopupAt(operations, pt, frame_.GetHwnd());
}

void CNimbraView::OnTimer(UINT_PTR id) {
  if (id == kSchedulerTimer) {
    KillTimer(GetHwnd(), kSchedulerTimer);
    SetTimer(GetHwnd(), kSchedulerTimer, 200, nullptr);
  } else if (id == kImportTimer) {
    KillTimer(GetHwnd(), kImportTimer);
  }
}

void CNimbraView::SuspendNow(bool) {}

bool CNimbraView::HasFollowingSchedule() { return false; }

void CNimbraView::OnResume() {
  ScheduleTable& table = doc_.Table();
  const int i = FindCurrentSchedule(table);
  if (i < 0) return;
  ScheduleEntry* cur = table.GetSchedule(i);
  const int32_t now = TimeToSeconds(doc_.Clock().LocalNow());
  if (table.StartSeconds(i) <= now && now < table.EndSeconds(i) && cur->state != kStateRunning) {
    cur->state = kStateRunning;
    RefreshList();
  }
}

void CNimbraView::OnScheduleAdd() {
  CScheduleTimeDlg dlg(GetHwnd());
  dlg.m_start = dlg.m_end = doc_.Clock().LocalNow();
  while (dlg.DoModal() == IDOK) {
    ScheduleEntry e{};
    e.s = dlg.m_start;
    e.e = dlg.m_end;
    CopyTitle(e.title, dlg.m_title.c_str());
    if (doc_.AddSchedule(e) != -1) {
      RefreshList();
      return;
    }
  }
}

void CNimbraView::OnScheduleChange() { ChangeSchedule(false); }

void CNimbraView::ChangeSchedule(bool forceRepeatDialog) {
  const int k = GetSelectedRow();
  if (k < 0 || k >= doc_.Table().GetScheduleCount()) return;
  const ScheduleEntry cur = *doc_.Table().GetSchedule(k);
  bool accepted = false;
  if (forceRepeatDialog || cur.loop) {
    CRegularTimeDlg dlg(GetHwnd(), doc_.Clock());
    dlg.m_start = cur.s;
    dlg.m_end = cur.e;
    dlg.m_loop = cur.loop;
    dlg.m_loop_meth = cur.loop_meth;
    dlg.m_b_way = cur.b_way;
    dlg.m_kikan_f = cur.kikan_f;
    dlg.m_kikan_s = cur.kikan_s;
    dlg.m_kikan_e = cur.kikan_e;
    while (!accepted && dlg.DoModal() == IDOK) {
      const ScheduleEntry backup = *doc_.Table().GetSchedule(k);
      doc_.Table().DeleteSchedule(k);
      if (doc_.AddSchedule(EntryFromRepeatDialog(dlg, "繰り返しなし予約")) == -1) {
        doc_.AddSchedule(backup);
      } else {
        accepted = true;
      }
    }
  } else {
    CScheduleTimeDlg dlg(GetHwnd());
    dlg.m_start = cur.s;
    dlg.m_end = cur.e;
    dlg.m_title.assign(cur.title, strnlen(cur.title, sizeof cur.title));
    while (!accepted && dlg.DoModal() == IDOK) {
      const ScheduleEntry backup = *doc_.Table().GetSchedule(k);
      doc_.Table().DeleteSchedule(k);
      ScheduleEntry e{};
      e.s = dlg.m_start;
      e.e = dlg.m_end;
      CopyTitle(e.title, dlg.m_title.c_str());
      if (doc_.AddSchedule(e) == -1) {
        doc_.AddSchedule(backup);
      } else {
        accepted = true;
      }
    }
  }
  RefreshList();
  list_.SetItemState(k, LVIS_FOCUSED, LVIS_FOCUSED | LVIS_SELECTED);
}

void CNimbraView::OnScheduleDelete() {
  const int k = GetSelectedRow();
  if (k < 0 || k >= doc_.Table().GetScheduleCount()) return;
  const ScheduleEntry* e = doc_.Table().GetSchedule(k);
  const std::wstring q =
      Format(L"No.%03d %ls を削除しますか？", k + 1,
             SjisToWide(std::string(e->title, strnlen(e->title, sizeof e->title))).c_str());
  if (AppMessageBox(GetHwnd(), q, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  doc_.Table().DeleteSchedule(k);
  RefreshList();
}

void CNimbraView::OnRegularSchedule() {
  const int k = GetSelectedRow();
  if (k >= 0 && k < doc_.Table().GetScheduleCount()) {
    ChangeSchedule(doc_.Table().GetSchedule(k)->loop == 0);
    return;
  }
  CRegularTimeDlg dlg(GetHwnd(), doc_.Clock());
  dlg.m_start = dlg.m_end = dlg.m_kikan_s = dlg.m_kikan_e = doc_.Clock().LocalNow();
  while (dlg.DoModal() == IDOK) {
    if (doc_.AddSchedule(EntryFromRepeatDialog(dlg, "タイトルなし")) != -1) {
      RefreshList();
      return;
    }
  }
}

LRESULT CNimbraView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      MoveWindow(list_.GetHwnd(), 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
    case WM_SETFOCUS:
      SetFocus(list_.GetHwnd());
      return 0;
    case WM_TIMER:
      OnTimer(wp);
      return 0;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (hdr->hwndFrom == list_.GetHwnd() && hdr->code == NM_DBLCLK) {
        OnScheduleChange();
        return 0;
      }
      break;
    }
    case WM_CONTEXTMENU: {
      POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      if (pt.x == -1 && pt.y == -1) GetCursorPos(&pt);
      ShowOperationMenu(pt);
      return 0;
    }
    case kTrayMessage:
      if (inTray_) {
        POINT pt;
        GetCursorPos(&pt);
        if (lp == WM_LBUTTONDBLCLK) {
          Come2Tray();
        } else if (lp == WM_RBUTTONDOWN) {
          SetForegroundWindow(GetHwnd());
          ShowOperationMenu(pt);
          PostMessageW(GetHwnd(), WM_NULL, 0, 0);
        }
      }
      return 0;
    case WM_DESTROY:
      KillTimer(GetHwnd(), kSchedulerTimer);
      KillTimer(GetHwnd(), kImportTimer);
      break;
    default:
      break;
  }
  return DefaultProc(msg, wp, lp);
}
