#include "app/win/nimbra_view.h"

#include <cstdio>

#include "app/program_services.h"
#include "app/win/iepg_list_dlg.h"
#include "app/win/journal_dlg.h"
#include "app/win/regular_time_dlg.h"
#include "app/win/resource.h"
#include "app/win/schedule_time_dlg.h"
#include "app/win/wake_diagnosis_dlg.h"
#include "app/win/settings_saver.h"
#include "engine/journal_recorder.h"
#include "engine/journal_verdict.h"
#include "engine/notice_board.h"
#include "framework/message_box.h"
#include "iepg/iepg_import.h"
#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/program_path.h"
#include "platform/prompt.h"
#include "platform/win32/last_error.h"
#include "platform/win32/text_win.h"
#include "schedule/list_cells.h"
#include "schedule/nimbra_doc.h"
#include "schedule/table_queries.h"
#include "schedule/time_rules.h"

namespace {

const wchar_t kViewClass[] = L"NimbraView";

}  // namespace

CNimbraView::CNimbraView(CNimbraDoc& doc, CWindow& frame, CSettingsSaver& saver,
                         const ProgramServices& services, const ViewParts& parts)
    : doc_(doc),
      frame_(frame),
      saver_(saver),
      services_(services),
      pluginHost_(parts.pluginHost),
      notifySender_(parts.notifySender),
      relay_(parts.relay),
      missedAtStart_(parts.missedAtStart) {
  if (notifySender_) {
    // The plan is asked for only at an event, when the scheduler exists.
    windowFacts_ = std::make_unique<CJournalWindowFacts>(
        services.journal, [this] { return scheduler_->PlanNow(); });
    notifier_ = std::make_unique<CProgramNotifier>(doc_.Notify(), *notifySender_, *this,
                                                   windowFacts_.get(), parts.mailTools);
  }
  scheduler_ = std::make_unique<CScheduler>(doc_, *this, pluginHost_, parts.power,
                                            parts.countdownWindows, services.Core(),
                                            services.notices, services.journal, notifier_.get());
  doc_.SetView(this);
}

CNimbraView::~CNimbraView() {
  if (services_.notices) services_.notices->SetPoster(nullptr);
  if (services_.journal) services_.journal->SetWindowListener(nullptr);
  if (relay_) relay_->SetPoster(nullptr);
  doc_.SetView(nullptr);
  scheduler_.reset();
  tray_.Remove();
  Destroy();
}

bool CNimbraView::Create(HWND parent) {
  WNDCLASSEXW wc{};
  wc.lpszClassName = kViewClass;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
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
  if (services_.notices) {
    HWND self = GetHwnd();
    services_.notices->SetPoster([self] { PostMessageW(self, kShowNoticesMessage, 0, 0); });
  }
  if (services_.journal) {
    HWND self = GetHwnd();
    services_.journal->SetWindowListener([self] { PostMessageW(self, kJournalMessage, 0, 0); });
  }
  if (relay_) {
    HWND self = GetHwnd();
    relay_->SetPoster([self] { PostMessageW(self, kRelayMessage, 0, 0); });
  }
  return true;
}

int CNimbraView::ColumnWidth(int column) const {
  // The cell's margins on both sides of the text.
  constexpr int kCellPadding = 16;
  const ListColumn& c = kListColumns[column];
  const int given = ScaleForDpi(c.width);
  if (!c.widest) return given;
  const int fit = list_.GetStringWidth(Utf8ToWide(c.widest)) + ScaleForDpi(kCellPadding);
  return fit > given ? fit : given;
}

void CNimbraView::OnInitialUpdate() {
  if (firstUpdate_) {
    list_.DeleteAllItems();
    for (int i = 0; i < kListColumnCount; ++i) list_.DeleteColumn(0);
    list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < kListColumnCount; ++i) {
      list_.InsertColumn(i, Utf8ToWide(kListColumns[i].heading), 0);
    }
    for (int i = 0; i < kListColumnCount; ++i) list_.SetColumnWidth(i, ColumnWidth(i));
    RefreshList();
    firstUpdate_ = 0;
    // "繰り返し予約" starts grayed; command enabling decides from then on.
    HMENU operations = GetSubMenu(GetMenu(frame_.GetHwnd()), 1);
    if (operations) EnableMenuItem(operations, 4, MF_BYPOSITION | MF_GRAYED);
  }
  CAppMngInfo& info = doc_.AppInfo();
  const bool importFile = info.GetStartWithFile() != 0;
  if (importFile) info.SetStartWithFile(0);
  scheduler_->StartTimers(importFile);
  if (const char* version = pluginHost_.GetVersionText()) info.SetPluginVersion(version);
  // The readiness check, once the window shows, also fills the status line.
  PostMessageW(GetHwnd(), kCheckReadinessMessage, 0, 0);
  PostMessageW(GetHwnd(), kJournalMessage, 0, 0);
  // The windows missed before the start are told now that a balloon can show.
  if (notifier_)
    for (const ScheduleEntry& missed : missedAtStart_) notifier_->WindowMissed(missed);
  missedAtStart_.clear();
}

void CNimbraView::WakeStatusChanged() { UpdateWakeStatus(); }

void CNimbraView::UpdateWakeStatus() {
  diagnosis_ = scheduler_->Diagnose();
  std::string line = WakeStatusLine(scheduler_->StatusText(), diagnosis_);
  if (!journalNote_.empty()) line += "　" + journalNote_;
  if (line == statusLine_) return;
  statusLine_ = line;
  if (statusSink_) statusSink_(Utf8ToWide(line));
  tray_.SetTip(TrayTip());
}

std::wstring CNimbraView::TrayTip() const {
  return statusLine_.empty() ? AppTitle() : AppTitle() + L"\n" + Utf8ToWide(statusLine_);
}

void CNimbraView::CheckReadiness() {
  UpdateWakeStatus();
  const std::string notice = notices_.Take(diagnosis_);
  if (notice.empty()) return;
  if (notifier_) notifier_->NotReady(notice);
  if (services_.dryRun) {
    services_.log.Write("readiness: %s\n", notice.c_str());
    return;
  }
  services_.prompt.Show(notice, kWakeDiagnosisCaption, PromptButtons::kOk);
}

void CNimbraView::ShowWakeDiagnosis() {
  UpdateWakeStatus();
  CWakeDiagnosisDlg dialog(diagnosis_.Report());
  if (dialog.DoModal(frame_.GetHwnd()) == IDC_WAKE_TEST) RunWakeTest();
}

void CNimbraView::RunWakeTest() {
  const std::string refusal = scheduler_->WakeTestRefusal();
  if (!refusal.empty()) {
    services_.prompt.Show(refusal, kWakeTestCaption, PromptButtons::kOk);
    return;
  }
  const int64_t wakeAt = LocalSecondsNow(services_.clock) + kWakeTestAheadSeconds;
  const SleepMode mode = doc_.AppInfo().GetUserSetting().sleep_flag;
  if (services_.prompt.Show(WakeTestQuestion(mode, wakeAt), kWakeTestCaption,
                            PromptButtons::kYesNo) != PromptAnswer::kYes)
    return;
  // A schedule entered while the question was open is looked at again.
  const std::string late = scheduler_->WakeTestRefusal();
  if (!late.empty()) {
    services_.prompt.Show(late, kWakeTestCaption, PromptButtons::kOk);
    return;
  }
  if (!scheduler_->StartWakeTest(wakeAt, services_.dryRun))
    services_.log.Write("wake self-test: the countdown could not start\n");
}

void CNimbraView::WakeTestFinished() { PostMessageW(GetHwnd(), kWakeTestDoneMessage, 0, 0); }

void CNimbraView::TellWakeTest() {
  const WakeTestResult& result = scheduler_->LastWakeTest();
  UpdateWakeStatus();
  services_.prompt.Show(WakeTestReport(result, doc_.AppInfo().GetUserSetting().wakeup_lead_sec),
                        kWakeTestCaption, PromptButtons::kOk);
}

void CNimbraView::UpdateJournalNote() {
  if (!services_.journal) return;
  journalNote_ = ShortfallNote(services_.journal->Events(), LocalSecondsNow(services_.clock));
  UpdateWakeStatus();
}

void CNimbraView::ShowJournal() {
  if (!services_.journal) return;
  const int64_t now = LocalSecondsNow(services_.clock);
  CJournalDlg dlg(frame_.GetHwnd(), services_.journal->Events(), now);
  dlg.DoModal();
  services_.journal->Looked(LocalSecondsNow(services_.clock));
  UpdateJournalNote();
}

void CNimbraView::RefreshList() {
  list_.DeleteAllItems();
  const ScheduleTable& table = doc_.Table();
  const int count = table.GetScheduleCount();
  for (int i = 0; i < count; ++i) {
    const ScheduleEntry* e = table.GetSchedule(i);
    if (!e) break;
    const auto cells = ListCellTexts(i, *e);
    const int row = list_.InsertItem(i + 1, Utf8ToWide(cells[0]));
    for (int c = 1; c < kListColumnCount; ++c) list_.SetItemText(row, c, Utf8ToWide(cells[c]));
  }
}

int CNimbraView::GetSelectedRow() { return list_.GetNextItem(-1, LVNI_SELECTED); }

void CNimbraView::FocusRowClearSelection(int row) {
  list_.SetItemState(row, LVIS_FOCUSED, LVIS_FOCUSED | LVIS_SELECTED);
}

bool CNimbraView::ShowReservationDialog(ReservationValues& values) {
  CScheduleTimeDlg dlg(GetHwnd());
  dlg.m_start = values.m_start;
  dlg.m_end = values.m_end;
  dlg.m_title = values.m_title;
  if (dlg.DoModal() != IDOK) return false;
  values = {dlg.m_start, dlg.m_end, dlg.m_title};
  return true;
}

bool CNimbraView::ShowRepeatDialog(RepeatValues& values) {
  CRegularTimeDlg dlg(GetHwnd(), services_.clock);
  dlg.SetValues(values);
  const bool ok = dlg.DoModal() == IDOK;
  values = dlg.Values();  // a refused setting reopens with what the user left
  return ok;
}

// Saves run inside the tick (a schedule's end, before a countdown): the box
// is shown after it.
void CNimbraView::SettingsSaveFailed(const std::string&) {
  PostMessageW(GetHwnd(), kSaveFailedMessage, 0, 0);
}

void CNimbraView::SetTimer(unsigned id, unsigned ms) { ::SetTimer(GetHwnd(), id, ms, nullptr); }

void CNimbraView::KillTimer(unsigned id) { ::KillTimer(GetHwnd(), id); }

void CNimbraView::ImportCommandLineFile() {
  QueueImport(commandLineFile_);
}

void CNimbraView::QueueImport(std::string path) {
  importQueue_.push_back(std::move(path));
  PostMessageW(GetHwnd(), kRunImportsMessage, 0, 0);
}

void CNimbraView::RunQueuedImports() {
  // A dialog (the import's own among them) disables the frame; the next
  // import waits until it closes.
  if (importing_ || !IsWindowEnabled(frame_.GetHwnd())) return;
  importing_ = true;
  while (!importQueue_.empty() && IsWindowEnabled(frame_.GetHwnd())) {
    const std::string path = std::move(importQueue_.front());
    importQueue_.pop_front();
    // The working copy and the recording program's folder are the program's
    // own folder, wherever the program was started from.
    (void)::ImportCommandLineFile(doc_, services_.Core(), services_.launcher, path,
                                  DirectoryOf(services_.programPath), this);
  }
  importing_ = false;
}

void CNimbraView::BringToFront() {
  if (inTray_) Come2Tray();
  HWND frame = frame_.GetHwnd();
  if (IsIconic(frame)) ShowWindow(frame, SW_RESTORE);
  SetForegroundWindow(frame);
}

bool CNimbraView::ChooseIepgPrograms(const std::string& fileTitle, std::vector<IepgListRow>& rows) {
  CIepgListDlg dlg(GetHwnd());
  dlg.m_fileTitle = fileTitle;
  dlg.m_rows = rows;
  if (dlg.DoModal() != IDOK) return false;
  rows = dlg.m_rows;
  return true;
}

void CNimbraView::ShowBalloon(const std::string& title, const std::string& text, bool warning) {
  if (!tray_.IsAdded()) {
    UniqueIcon icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                  MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON),
                                                  GetSystemMetrics(SM_CYSMICON), 0)));
    if (!tray_.Add(GetHwnd(), 0, kTrayMessage, icon.get(), TrayTip())) {
      services_.log.Write("balloon: the notification area took no icon");
      return;
    }
    trayIcon_ = std::move(icon);
    balloonOnly_ = true;
  }
  if (!tray_.ShowBalloon(Utf8ToWide(title), Utf8ToWide(text), warning))
    services_.log.Write("balloon: Shell_NotifyIconW refused it");
}

void CNimbraView::NotifySendFailed(const std::string& reason) {
  if (notifier_) notifier_->SendFailed(reason);
}

void CNimbraView::Go2Tray() {
  if (inTray_) return;
  if (balloonOnly_) {
    // The balloon's icon stays, as the tray's.
    balloonOnly_ = false;
    hiddenFrame_ = frame_.GetHwnd();
    ShowWindow(hiddenFrame_, SW_HIDE);
    inTray_ = 1;
    return;
  }
  UniqueIcon icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), 0)));
  // Without an icon in the notification area the hidden window could not be
  // brought back, so it stays shown.
  if (!tray_.Add(GetHwnd(), 0, kTrayMessage, icon.get(), TrayTip())) return;
  trayIcon_ = std::move(icon);
  hiddenFrame_ = frame_.GetHwnd();
  ShowWindow(hiddenFrame_, SW_HIDE);
  inTray_ = 1;
}

void CNimbraView::Come2Tray() {
  if (!inTray_) return;
  tray_.Remove();
  trayIcon_.reset();
  ShowWindow(hiddenFrame_, SW_SHOWNORMAL);
  hiddenFrame_ = nullptr;
  inTray_ = 0;
}

void CNimbraView::OnTaskbarCreated() {
  if (inTray_) tray_.Readd();
}

void CNimbraView::OnSleeping() { scheduler_->OnSleeping(); }

void CNimbraView::OnResume(bool automatic) {
  scheduler_->OnResumeEvent(automatic);
  scheduler_->OnResume();
  if (notifySender_) notifySender_->Resumed();
  CheckReadiness();
}

void CNimbraView::OpenUrl(const char* address) {
  if (!address || !*address) return;
  // A result of 32 or less is the shell's failure.
  const HINSTANCE r = ShellExecuteW(GetHwnd(), L"open", Utf8ToWide(address).c_str(), nullptr,
                                    nullptr, SW_SHOWNORMAL);
  LogIfFailed(reinterpret_cast<INT_PTR>(r) > 32, services_.log, "ShellExecuteW");
}

bool CNimbraView::ConfirmOperation(const char* utf8Text) {
  char q[512];
  std::snprintf(q, sizeof q, "現在の操作( %s )を続行しますか？", utf8Text ? utf8Text : "未定義操作");
  return AppMessageBox(GetHwnd(), std::string(q), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool CNimbraView::PreTranslateMessage(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.hwnd != list_.GetHwnd()) return false;
  if (msg.wParam == VK_RETURN) {
    doc_.OnScheduleChange();
    return true;
  }
  if (msg.wParam == VK_DELETE) {
    doc_.OnScheduleDelete();
    return true;
  }
  return false;
}

void CNimbraView::ShowOperationMenu(POINT pt) {
  HMENU operations = GetSubMenu(GetMenu(frame_.GetHwnd()), 1);
  TrackPopupAt(operations, pt, frame_.GetHwnd());
}

void CNimbraView::ShowTrayMenu(POINT pt) {
  // The 操作 menu with a way out at its end: with the window hidden, the
  // File menu's exit is out of reach. The command is that same exit.
  HMENU operations = GetSubMenu(GetMenu(frame_.GetHwnd()), 1);
  if (!operations) return;
  const int count = GetMenuItemCount(operations);
  AppendMenuW(operations, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(operations, MF_STRING, ID_APP_EXIT, kTrayExitText);
  TrackPopupAt(operations, pt, frame_.GetHwnd());
  while (GetMenuItemCount(operations) > count) RemoveMenu(operations, count, MF_BYPOSITION);
}

LRESULT CNimbraView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      MoveWindow(list_.GetHwnd(), 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
    case WM_SETFOCUS:
      SetFocus(list_.GetHwnd());
      return 0;
    case WM_TIMER: {
      if (wp != CScheduler::kTickTimer) {
        if (scheduler_->OnTimer(static_cast<unsigned>(wp))) break;
        return 0;
      }
      if (!tickGate_.Open(GetTickCount64(), CWindow::MessagesHandled())) return 0;
      (void)scheduler_->OnTimer(CScheduler::kTickTimer);
      tickGate_.Ran(GetTickCount64(), services_.clock.LocalNow().wMilliseconds,
                    CWindow::MessagesHandled());
      return 0;
    }
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (hdr->hwndFrom == list_.GetHwnd() && hdr->code == NM_DBLCLK) {
        doc_.OnScheduleChange();
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
      if (balloonOnly_ && (lp == NIN_BALLOONTIMEOUT || lp == NIN_BALLOONUSERCLICK ||
                           lp == WM_LBUTTONDBLCLK)) {
        tray_.Remove();
        trayIcon_.reset();
        balloonOnly_ = false;
        return 0;
      }
      if (inTray_) {
        POINT pt;
        GetCursorPos(&pt);
        if (lp == WM_LBUTTONDBLCLK) {
          Come2Tray();
        } else if (lp == WM_RBUTTONDOWN) {
          SetForegroundWindow(GetHwnd());
          ShowTrayMenu(pt);
          PostMessageW(GetHwnd(), WM_NULL, 0, 0);
        }
      }
      return 0;
    case kCheckReadinessMessage:
      CheckReadiness();
      return 0;
    case kRunImportsMessage:
      RunQueuedImports();
      return 0;
    case kShowNoticesMessage:
      if (services_.notices) services_.notices->ShowPending();
      return 0;
    case kSaveFailedMessage:
      saver_.ReportFailure(GetHwnd());
      return 0;
    case kJournalMessage:
      UpdateJournalNote();
      return 0;
    case kWakeTestDoneMessage:
      TellWakeTest();
      return 0;
    case kPlaySleepMessage:
      if (services_.dryRun && scheduler_->WakeTest().GetPhase() ==
                                  CWakeSelfTest::Phase::kWaitingForSleep) {
        PostMessageW(frame_.GetHwnd(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
        PostMessageW(frame_.GetHwnd(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
      }
      return 0;
    case kRelayMessage:
      if (relay_) relay_->RunPending();
      return 0;
    case WM_DESTROY:
      ::KillTimer(GetHwnd(), CScheduler::kTickTimer);
      ::KillTimer(GetHwnd(), CScheduler::kImportTimer);
      break;
    default:
      break;
  }
  return DefaultProc(msg, wp, lp);
}
