#include "engine/win/progress_sub_dlg.h"

#include <commctrl.h>

#include "engine/win/progress_resource.h"
#include "platform/debug_log.h"
#include "platform/win32/last_error.h"
#include "platform/win32/text_win.h"

CProgressSubDlg::CProgressSubDlg(CCountdown& countdown, HWND anchor, CDebugLog* log)
    : CDialog(IDD_PROGRESS_SUB), countdown_(countdown), anchor_(anchor), log_(log) {}

CProgressSubDlg::~CProgressSubDlg() { Close(); }

bool CProgressSubDlg::Create() { return CDialog::Create(nullptr); }

BOOL CProgressSubDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // No status until the worker's first count; the resource's placeholder
  // text is never shown.
  SetItemText(IDC_PROGRESS_TEXT, L"");
  std::lock_guard<std::mutex> lock(mutex_);
  window_ = GetHwnd();
  progress_ = GetItem(IDC_PROGRESS);
  PlaceOnTop();
  return TRUE;
}

void CProgressSubDlg::PlaceOnTop() {
  // A hidden or minimised main window still has a monitor (the one it was
  // last shown on); without one, the primary monitor.
  const HMONITOR monitor =
      anchor_ && IsWindow(anchor_) ? MonitorFromWindow(anchor_, MONITOR_DEFAULTTOPRIMARY)
                                   : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  RECT own{};
  const bool measured = Check(GetMonitorInfoW(monitor, &info) != FALSE, "GetMonitorInfoW") &&
                        Check(GetWindowRect(GetHwnd(), &own) != FALSE, "GetWindowRect");
  const UINT keep = SWP_NOSIZE | (measured ? 0 : SWP_NOMOVE);
  int x = 0, y = 0;
  if (measured) {
    const RECT& work = info.rcWork;
    const int w = own.right - own.left;
    const int h = own.bottom - own.top;
    // Centred; a window larger than the work area keeps its caption inside.
    x = work.left + ((work.right - work.left) - w) / 2;
    y = work.top + ((work.bottom - work.top) - h) / 2;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
  }
  Check(SetWindowPos(GetHwnd(), HWND_TOPMOST, x, y, 0, 0, keep) != FALSE, "SetWindowPos");
}

bool CProgressSubDlg::Check(bool ok, const char* call) {
  return log_ ? LogIfFailed(ok, *log_, call) : ok;
}

void CProgressSubDlg::Post(HWND target, UINT msg, WPARAM wp, LPARAM lp) {
  if (target) PostMessageW(target, msg, wp, lp);
}

void CProgressSubDlg::SetProgressRange(int low, int high) {
  std::lock_guard<std::mutex> lock(mutex_);
  Post(progress_, PBM_SETRANGE, 0, MAKELPARAM(low, high));
}

void CProgressSubDlg::SetProgressPos(int pos) {
  std::lock_guard<std::mutex> lock(mutex_);
  Post(progress_, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}

void CProgressSubDlg::SetStatusText(const std::string& utf8) {
  std::lock_guard<std::mutex> lock(mutex_);
  statusText_ = Utf8ToWide(utf8);
  Post(window_, kStatusChanged, 0, 0);
}

void CProgressSubDlg::PostCompleted() {
  std::lock_guard<std::mutex> lock(mutex_);
  Post(window_, kCompleted, 0, 0);
}

void CProgressSubDlg::PostStopped() {
  std::lock_guard<std::mutex> lock(mutex_);
  Post(window_, kStopped, 0, 0);
}

void CProgressSubDlg::SetCaption(const std::string& utf8) {
  if (GetHwnd()) SetWindowTextW(GetHwnd(), Utf8ToWide(utf8).c_str());
}

void CProgressSubDlg::Close() {
  HWND h = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    h = window_;
    window_ = nullptr;
    progress_ = nullptr;
  }
  if (h && IsWindow(h)) DestroyWindow(h);
}

bool CProgressSubDlg::OnCommand(int id, int code, HWND) {
  if (id == IDC_PROGRESS_STOP && code == BN_CLICKED) {
    countdown_.Stop();
    return true;
  }
  return false;
}

LRESULT CProgressSubDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kStatusChanged: {
      std::wstring text;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        text = statusText_;
      }
      SetItemText(IDC_PROGRESS_TEXT, text);
      return TRUE;
    }
    case kCompleted:
    case kStopped:
      // Joins the worker and closes this window.
      countdown_.Finish();
      return TRUE;
    case WM_CLOSE:
      return TRUE;  // only the worker's end closes the window
    case WM_DESTROY: {
      std::lock_guard<std::mutex> lock(mutex_);
      window_ = nullptr;
      progress_ = nullptr;
      break;
    }
    default:
      break;
  }
  return CDialog::WindowProc(msg, wp, lp);
}

std::unique_ptr<ICountdownWindow> CProgressSubDlgFactory::CreateCountdownWindow(
    CCountdown& countdown) {
  auto dlg = std::make_unique<CProgressSubDlg>(countdown, anchor_ ? anchor_->GetHwnd() : nullptr,
                                               log_);
  if (!dlg->Create()) return nullptr;
  return dlg;
}
