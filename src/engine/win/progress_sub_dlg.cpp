#include "engine/win/progress_sub_dlg.h"

#include <commctrl.h>

#include "engine/win/progress_resource.h"
#include "platform/win32/text_win.h"

CProgressSubDlg::CProgressSubDlg(CCountdown& countdown)
    : CDialog(IDD_PROGRESS_SUB), countdown_(countdown) {}

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
  return TRUE;
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
  auto dlg = std::make_unique<CProgressSubDlg>(countdown);
  if (!dlg->Create()) return nullptr;
  return dlg;
}
