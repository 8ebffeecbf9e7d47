#include "app/win/main_frame.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/program_options.h"
#include "app/program_services.h"
#include "app/win/about_dlg.h"
#include "app/win/nimbra_property.h"
#include "app/win/nimbra_view.h"
#include "app/win/resource.h"
#include "app/win/settings_saver.h"
#include "app/wake_status.h"
#include "engine/journal_recorder.h"
#include "engine/notice_board.h"
#include "framework/message_box.h"
#include "framework/on_screen.h"
#include "iepg/file_association.h"
#include "notify/win32/curl_mailer.h"
#include "platform/debug_log.h"
#include "platform/local_time.h"
#include "platform/file.h"
#include "platform/launcher.h"
#include "platform/prompt.h"
#include "platform/text.h"
#include "platform/win32/text_win.h"
#include "schedule/nimbra_doc.h"
#include "schedule/table_queries.h"
#include "schedule/time_rules.h"

namespace {

const wchar_t kFrameClass[] = L"NimbraMainFrame";

// The tool bar's buttons, image i for button i.
constexpr UINT kToolButtons[8] = {ID_SCHEDULE_ADD,  ID_SCHEDULE_CHANGE, ID_SCHEDULE_DELETE,
                                  ID_SETTING_EPG,   ID_MENU_OPEN_URL,   ID_MENU_SUSPEND,
                                  ID_MENU_STANDBY,  ID_APP_ABOUT};

// Status-bar panes after the message pane.
constexpr UINT kIndicators[4] = {ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                 ID_INDICATOR_SCRL};
constexpr int kIndicatorKeys[4] = {VK_KANA, VK_CAPITAL, VK_NUMLOCK, VK_SCROLL};

// The part of a command's string before or after the "\n".
std::wstring PromptPart(UINT id, bool tip) {
  const std::wstring s = LoadResourceString(id);
  const size_t nl = s.find(L'\n');
  if (nl == std::wstring::npos) return tip ? std::wstring() : s;
  return tip ? s.substr(nl + 1) : s.substr(0, nl);
}

}  // namespace

CMainFrame::CMainFrame(CNimbraDoc& doc, CSettingsSaver& saver, const ProgramServices& services,
                       const ViewParts& parts)
    : doc_(doc), saver_(saver), services_(services), parts_(parts) {}

CMainFrame::~CMainFrame() {
  Destroy();
  view_.reset();
}

bool CMainFrame::Create() {
  WNDCLASSEXW wc{};
  wc.lpszClassName = kFrameClass;
  wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  wc.hIconSm = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                             MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  if (!CWindow::RegisterClass(wc)) return false;

  UniqueMenu menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME)));
  accelerators_.reset(LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME)));
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  // The caption is the application title, without a document name.
  const std::wstring caption = Utf8ToWide(FrameCaption(services_.dryRunTitleMark));
  // Where the user left it, unless no monitor shows that place now.
  const int32_t left = ScaleForDpi(kMainWindowFirstPlace.left);
  const int32_t top = ScaleForDpi(kMainWindowFirstPlace.top);
  const ScreenRect first{left, top, left + ScaleForDpi(kMainWindowFirstPlace.Width()),
                         top + ScaleForDpi(kMainWindowFirstPlace.Height())};
  const ScreenRect place =
      MainWindowPlace(doc_.AppInfo().GetMainWindowPlace(), MonitorWorkAreas(), first);
  if (!CWindow::Create(0, kFrameClass, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                       place.left, place.top, place.Width(), place.Height(), nullptr,
                       menu.get())) {
    return false;
  }
  // The frame's window owns its menu from here on.
  menu.release();
  return view_ != nullptr;
}

bool CMainFrame::OnCreate() {
  CreateToolBar();
  if (!CreateStatusBar()) return false;
  view_ = std::make_unique<CNimbraView>(doc_, *this, saver_, services_, parts_);
  if (!view_->Create(GetHwnd())) return false;
  view_->SetWakeStatusSink([this](const std::wstring& text) { OnWakeStatus(text); });
  RecalcLayout();
  // iEPG files dropped on the window, or handed over by a second start.
  DragAcceptFiles(GetHwnd(), TRUE);
  if (!handover_.Publish(GetHwnd())) services_.log.Write("handover: cannot publish the window\n");
  return true;
}

void CMainFrame::QueueImport(const std::wstring& path) { view_->QueueImport(WideToUtf8(path)); }

LRESULT CMainFrame::OnCopyData(const COPYDATASTRUCT& data) {
  if (!view_) return FALSE;
  std::string refusal;
  const std::wstring path = handover_.Accept(data, &refusal);
  if (path.empty()) {
    services_.log.Write("handover refused: %s\n", refusal.c_str());
    return FALSE;
  }
  QueueImport(path);
  view_->BringToFront();
  return TRUE;
}

void CMainFrame::OnDropFiles(HDROP drop) {
  // Each file goes the way of a file handed over; the import says what it
  // makes of a file that is no iEPG file.
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count && view_; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, &path[0], length + 1));
    if (!path.empty()) QueueImport(path);
  }
  DragFinish(drop);
}

void CMainFrame::CreateToolBar() {
  HWND tb = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                            WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP,
                            0, 0, 0, 0, GetHwnd(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDW_TOOLBAR)),
                            GetModuleHandleW(nullptr), nullptr);
  if (!tb) return;  // the frame goes on without a tool bar
  toolBar_ = tb;
  SendMessageW(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

  toolImages_.reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 8, 8));
  // A "Toolbar.bmp" in the current folder replaces the built-in images.
  UniqueBitmap bmp(static_cast<HBITMAP>(LoadImageW(nullptr, L"Toolbar.bmp", IMAGE_BITMAP, 0, 0,
                                                   LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
  if (!bmp) {
    bmp.reset(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                              MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_BITMAP, 0, 0,
                                              LR_CREATEDIBSECTION)));
  }
  // The image list keeps its own copy of the images.
  if (bmp && toolImages_) {
    ImageList_AddMasked(toolImages_.get(), bmp.get(), RGB(0, 0, 0));
  }
  SendMessageW(tb, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolImages_.get()));
  SendMessageW(tb, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 16));

  TBBUTTON buttons[8]{};
  for (int i = 0; i < 8; ++i) {
    buttons[i].iBitmap = i;
    buttons[i].idCommand = static_cast<int>(kToolButtons[i]);
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = BTNS_BUTTON;
  }
  SendMessageW(tb, TB_ADDBUTTONSW, 8, reinterpret_cast<LPARAM>(buttons));
  SendMessageW(tb, TB_AUTOSIZE, 0, 0);
}

bool CMainFrame::CreateStatusBar() {
  HWND sb = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP,
                            0, 0, 0, 0, GetHwnd(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDW_STATUS_BAR)),
                            GetModuleHandleW(nullptr), nullptr);
  if (!sb) return false;
  statusBar_ = sb;
  for (int i = 0; i < 4; ++i) indicatorTexts_[i] = LoadResourceString(kIndicators[i]);
  ShowIdleMessage();
  return true;
}

void CMainFrame::RecalcLayout() {
  RECT rc;
  GetClientRect(GetHwnd(), &rc);
  int top = 0;
  int bottom = rc.bottom;
  if (toolBar_) {
    SendMessageW(toolBar_, TB_AUTOSIZE, 0, 0);
    RECT r;
    GetWindowRect(toolBar_, &r);
    top = r.bottom - r.top;
  }
  if (statusBar_) {
    SendMessageW(statusBar_, WM_SIZE, 0, 0);
    RECT r;
    GetWindowRect(statusBar_, &r);
    bottom -= r.bottom - r.top;
    // The message pane takes what the indicators leave.
    const int pane = ScaleForDpi(40);
    int edges[5];
    int right = rc.right - ScaleForDpi(16);
    for (int i = 4; i >= 1; --i) {
      edges[i] = right;
      right -= pane;
    }
    edges[0] = right;
    SendMessageW(statusBar_, SB_SETPARTS, 5, reinterpret_cast<LPARAM>(edges));
    UpdateIndicators();
  }
  if (view_ && view_->GetHwnd()) {
    MoveWindow(view_->GetHwnd(), 0, top, rc.right, bottom > top ? bottom - top : 0, TRUE);
  }
}

void CMainFrame::ShowPrompt(UINT id) {
  if (!statusBar_) return;
  SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(PromptPart(id, false).c_str()));
}

void CMainFrame::ShowIdleMessage() {
  if (!statusBar_) return;
  const std::wstring text = wakeText_.empty() ? LoadResourceString(IDS_IDLE_MESSAGE) : wakeText_;
  SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CMainFrame::OnWakeStatus(const std::wstring& text) {
  wakeText_ = text;
  // A menu's prompt stays until the menu closes, which shows this then.
  if (!inMenu_) ShowIdleMessage();
}

void CMainFrame::UpdateIndicators() {
  if (!statusBar_) return;
  for (int i = 0; i < 4; ++i) {
    const bool on = (GetKeyState(kIndicatorKeys[i]) & 1) != 0;
    const std::wstring text = on ? indicatorTexts_[i] : std::wstring();
    wchar_t current[32] = {};
    if (LOWORD(SendMessageW(statusBar_, SB_GETTEXTLENGTHW, i + 1, 0)) < 32) {
      SendMessageW(statusBar_, SB_GETTEXTW, i + 1, reinterpret_cast<LPARAM>(current));
    }
    if (text != current) {
      SendMessageW(statusBar_, SB_SETTEXTW, i + 1, reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
}

bool CMainFrame::IsCommandEnabled(UINT id) const {
  const bool inTray = view_ && view_->IsInTray();
  const SleepMode sleepMode = doc_.AppInfo().GetUserSetting().sleep_flag;
  switch (id) {
    case ID_MENU_SUSPEND:
      return sleepMode == SleepMode::kHibernate;
    case ID_MENU_STANDBY:
      return sleepMode == SleepMode::kStandby;
    case ID_SCHEDULE_ADD:
    case ID_SCHEDULE_CHANGE:
    case ID_SCHEDULE_DELETE:
    case ID_MENU_GO2TRAY:
    case ID_REGULAR_SCHEDULE:
      return !inTray;
    case ID_MENU_COME2TRAY:
      return inTray;
    default:
      return true;
  }
}

void CMainFrame::OnIdle() {
  if (toolBar_) {
    for (UINT id : kToolButtons) {
      const BOOL enable = IsCommandEnabled(id) ? TRUE : FALSE;
      const LRESULT state = SendMessageW(toolBar_, TB_GETSTATE, id, 0);
      if (state != -1 && ((state & TBSTATE_ENABLED) != 0) != (enable != FALSE)) {
        SendMessageW(toolBar_, TB_ENABLEBUTTON, id, MAKELPARAM(enable, 0));
      }
    }
  }
  UpdateIndicators();
}

bool CMainFrame::PreTranslateMessage(MSG& msg) {
  return view_ && view_->PreTranslateMessage(msg);
}

void CMainFrame::OnInitMenuPopup(HMENU menu) {
  const int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    const UINT id = GetMenuItemID(menu, i);
    if (id == static_cast<UINT>(-1) || id == 0) continue;  // a submenu or a separator
    EnableMenuItem(menu, i, MF_BYPOSITION | (IsCommandEnabled(id) ? MF_ENABLED : MF_GRAYED));
  }
}

void CMainFrame::OpenSettings(int page) {
  CPluginHost& host = parts_.pluginHost;
  CNimbraProperty sheet(host.GetContext(), host.GetFunctionTable(), L"設定", GetHwnd(), 0,
                        services_.prompt, parts_.notifySender);
  if (page >= 0 && page < sheet.GetPageCount()) sheet.SetActivePage(page);
  CAppMngInfo& info = doc_.AppInfo();
  const int32_t tvId = info.GetTvId();
  // A stored index that names no site stays one that names none.
  sheet.m_epg.m_tv_id = static_cast<uint8_t>(tvId >= 0 && tvId <= 0xFF ? tvId : 0xFF);
  sheet.m_epg.m_sel_ext = static_cast<uint8_t>(info.GetSelExt() & 0xFF);
  sheet.m_epg.m_tv_app_path = SjisToUtf8(info.GetTvAppPath());
  sheet.m_user.SetAppInfo(&info);
  sheet.m_user.SetStartup(&services_.startup, StartupCommand(services_.programPath),
                          services_.programPath);
  sheet.m_notify.m_settings = doc_.Notify();
  sheet.m_notify.m_mailTools = parts_.mailTools;
  sheet.m_notify.m_mailCanSend = !FindSystemCurl().empty();
  const bool ok = sheet.DoModal() == IDOK;
  // Applied notification settings hold even when the sheet closed by Cancel.
  if (sheet.m_notify.m_applied && sheet.m_notify.m_settings != doc_.Notify()) {
    doc_.Notify() = sheet.m_notify.m_settings;
    (void)doc_.CommitEdit();
  }
  // The sleep state or the wake settings may have changed, by OK or apply.
  if (view_) view_->CheckReadiness();
  if (!ok) return;
  CFileAssociation association(doc_, services_.Core(), services_.registry, services_.launcher,
                               services_.programPath);
  association.ApplyEpgSettings(sheet.m_epg.m_sel_ext, sheet.m_epg.m_tv_id, sheet.m_epg.m_tv_app_path);
}

void CMainFrame::OnCommand(UINT id) {
  if (!IsCommandEnabled(id)) return;
  CNimbraView* view = view_.get();
  switch (id) {
    case ID_APP_EXIT:
      PostMessageW(GetHwnd(), WM_CLOSE, 0, 0);
      break;
    case ID_HELP_WAKE_DIAGNOSIS:
      if (view) view->ShowWakeDiagnosis();
      break;
    case ID_MENU_JOURNAL:
      if (view) view->ShowJournal();
      break;
    case ID_HELP_GUIDE: {
      const std::string guide = GuidePath(services_.programPath);
      if (!FileExists(guide))
        services_.prompt.Show(GuideMissingText(guide), kAppTitle, PromptButtons::kOk);
      else if (!services_.launcher.ShellOpen(guide, ""))
        services_.prompt.Show(GuideNotOpenedText(guide), kAppTitle, PromptButtons::kOk);
      break;
    }
    case ID_APP_ABOUT: {
      CAboutDlg about(GetHwnd(), doc_.AppInfo().GetPluginVersion());
      about.DoModal();
      break;
    }
    case ID_FILE_NEW:
      // A new document of this program is the one it has: show it afresh.
      if (view) view->RefreshList();
      break;
    case ID_SCHEDULE_ADD:
      doc_.OnScheduleAdd();
      break;
    case ID_SCHEDULE_CHANGE:
      doc_.OnScheduleChange();
      break;
    case ID_SCHEDULE_DELETE:
      doc_.OnScheduleDelete();
      break;
    case ID_REGULAR_SCHEDULE:
      doc_.OnRegularSchedule();
      break;
    case ID_MENU_GO2TRAY:
      if (view) view->Go2Tray();
      break;
    case ID_MENU_COME2TRAY:
      if (view && view->IsInTray()) view->Come2Tray();
      break;
    case ID_MENU_SUSPEND:
    case ID_MENU_STANDBY:
      if (view) view->SuspendNow(false);
      break;
    case ID_MENU_OPEN_URL:
      if (view) view->OpenUrl(doc_.GetListingsUrl());
      break;
    case ID_SETTING_EPG:
      OpenSettings(0);
      break;
    case ID_SETTING_USER:
      OpenSettings(1);
      break;
    default:
      break;
  }
}

void CMainFrame::RememberPlace() {
  // Saved with the settings: the window opens there next time.
  ScreenRect place;
  if (NormalPlaceOf(GetHwnd(), &place)) doc_.AppInfo().SetMainWindowPlace(place);
}

bool CMainFrame::ConfirmClose() {
  const std::string question = CloseQuestion(doc_.Table(), LocalSecondsNow(services_.clock));
  if (question.empty()) return true;
  // A close that arrives while the tick runs (a plug-in's window pumps
  // messages) is asked after it: a question asked inside would be answered No.
  if (services_.notices && services_.notices->Held()) {
    PostMessageW(GetHwnd(), WM_CLOSE, 0, 0);
    return false;
  }
  return services_.prompt.Show(question, kAppTitle, PromptButtons::kYesNo) == PromptAnswer::kYes;
}

LRESULT CMainFrame::OnPowerBroadcast(WPARAM event) {
  LRESULT answer = TRUE;
  CNimbraView* view = view_.get();
  if (!view) return answer;
  const CUserSetParam& user = doc_.AppInfo().GetUserSetting();
  if (user.smenu_fhock && event == PBT_APMQUERYSUSPEND) {
    // Any program can send this query. While a schedule's window runs the
    // PC must stay on: the query is refused and nothing is ended or started.
    const ScheduleTable& table = doc_.Table();
    const int current = FindCurrentSchedule(table);
    if (current >= 0 && table.GetSchedule(current)->state == kStateRunning) {
      services_.log.Write("power: suspend query refused while a schedule runs");
      answer = BROADCAST_QUERY_DENY;
    } else if (view->HasFollowingSchedule()) {
      // The system's own suspension is replaced by ours, with the wake-up.
      view->SuspendNow(true);
      answer = BROADCAST_QUERY_DENY;
    } else if (!view->ConfirmOperation("休止 or スタンバイ")) {
      answer = BROADCAST_QUERY_DENY;
    }
  }
  if (services_.journal) {
    const int64_t now = LocalSecondsNow(services_.clock);
    if (event == PBT_APMSUSPEND)
      services_.journal->Sleeping(now, view->SuspendingByProgram() ? JournalSleeper::kProgram
                                                                    : JournalSleeper::kOther);
    else if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND)
      services_.journal->Resumed(now, event == PBT_APMRESUMEAUTOMATIC);
  }
  if (event == PBT_APMSUSPEND) view->OnSleeping();
  if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) {
    view->OnResume(event == PBT_APMRESUMEAUTOMATIC);
  }
  return answer;
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (taskbarCreated_ != 0 && msg == taskbarCreated_) {
    if (view_) view_->OnTaskbarCreated();
    return 0;
  }
  switch (msg) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_SIZE:
      RecalcLayout();
      return 0;
    case WM_SETFOCUS:
      if (view_ && view_->GetHwnd()) SetFocus(view_->GetHwnd());
      return 0;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_MINIMIZE) {
        if (view_) view_->Go2Tray();
        return 0;
      }
      break;
    case WM_COMMAND:
      if (lp == 0 || HIWORD(wp) == BN_CLICKED) {
        OnCommand(LOWORD(wp));
        return 0;
      }
      break;
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wp));
      return 0;
    case WM_MENUSELECT: {
      const UINT flags = HIWORD(wp);
      if (flags == 0xFFFF && lp == 0) {
        ShowIdleMessage();
      } else if (!(flags & (MF_POPUP | MF_SEPARATOR))) {
        ShowPrompt(LOWORD(wp));
      }
      return 0;
    }
    case WM_ENTERMENULOOP:
      inMenu_ = true;
      break;
    case WM_EXITMENULOOP:
      inMenu_ = false;
      ShowIdleMessage();
      break;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (hdr->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lp);
        static std::wstring tip;  // must outlive this message
        tip = PromptPart(static_cast<UINT>(hdr->idFrom), true);
        info->lpszText = const_cast<wchar_t*>(tip.c_str());
        return 0;
      }
      if (hdr->hwndFrom == toolBar_ && hdr->code == TBN_HOTITEMCHANGE) {
        auto* hot = reinterpret_cast<NMTBHOTITEM*>(lp);
        if (hot->dwFlags & HICF_LEAVING) {
          ShowIdleMessage();
        } else {
          ShowPrompt(static_cast<UINT>(hot->idNew));
        }
        return 0;
      }
      break;
    }
    case WM_POWERBROADCAST:
      return OnPowerBroadcast(wp);
    case WM_TIMECHANGE:
      // The zone may have changed: every local time from here on (the seconds
      // saved for the entries' local times among them) uses the new one.
      RefreshTimeZone();
      if (view_) view_->WakeStatusChanged();
      return 0;
    case WM_COPYDATA:
      return lp ? OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lp)) : FALSE;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_ENABLE:
      // A dialog closed: imports that waited for it may run.
      if (wp && view_) PostMessageW(view_->GetHwnd(), CNimbraView::kRunImportsMessage, 0, 0);
      break;
    case WM_QUERYENDSESSION:
      RememberPlace();
      (void)doc_.CommitEdit();
      return TRUE;
    case WM_ENDSESSION:
      // The process may be ended without another message.
      if (wp && services_.journal)
        services_.journal->ProgramEnding(LocalSecondsNow(services_.clock), true);
      return 0;
    case WM_CLOSE:
      if (!ConfirmClose()) return 0;
      DestroyWindow(GetHwnd());
      return 0;
    case WM_DESTROY:
      RememberPlace();
      // The view goes first; the document saves when it goes after it.
      view_.reset();
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefaultProc(msg, wp, lp);
}
