#include "framework/window.h"

#include <atomic>
#include <cstdint>

#include "framework/message_box.h"
#include "platform/win32/text_win.h"
#include "platform/win32/prompt_win.h"

CWindow::~CWindow() {
  if (hwnd_ && FromHandle(hwnd_) == this) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

void CWindow::Destroy() {
  if (!hwnd_) return;
  // Detach first: the derived part may already be gone, so the last messages
  // get the default processing only.
  HWND h = hwnd_;
  SetWindowLongPtrW(h, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  DestroyWindow(h);
}

bool CWindow::RegisterClass(WNDCLASSEXW wc) {
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &CWindow::StaticProc;
  if (!wc.hInstance) wc.hInstance = GetModuleHandleW(nullptr);
  if (RegisterClassExW(&wc)) return true;
  return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindow::Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                     int x, int y, int cx, int cy, HWND parent, HMENU menu) {
  if (hwnd_) return false;
  HWND h = CreateWindowExW(exStyle, className, title, style, x, y, cx, cy, parent, menu,
                           GetModuleHandleW(nullptr), this);
  return h != nullptr;
}

CWindow* CWindow::FromHandle(HWND hwnd) {
  return reinterpret_cast<CWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool CWindow::IsItemChecked(int id) const {
  return SendMessageW(GetItem(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CWindow::CheckItem(int id, bool checked) {
  SendMessageW(GetItem(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CWindow::EnableItem(int id, bool enabled) { EnableWindow(GetItem(id), enabled ? TRUE : FALSE); }

std::wstring CWindow::GetItemText(int id) const { return GetWindowTextWide(GetItem(id)); }

std::string CWindow::GetItemTextUtf8(int id) const { return WideToUtf8(GetItemText(id)); }

void CWindow::SetItemText(int id, const std::wstring& text) { SetDlgItemTextW(hwnd_, id, text.c_str()); }

void CWindow::SetItemTextUtf8(int id, const std::string& utf8) { SetItemText(id, Utf8ToWide(utf8)); }

int CWindow::GetComboIndex(int id) const {
  const LRESULT sel = SendMessageW(GetItem(id), CB_GETCURSEL, 0, 0);
  return sel == CB_ERR ? -1 : static_cast<int>(sel);
}

void CWindow::SetComboIndex(int id, int index) {
  SendMessageW(GetItem(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CWindow::AddComboItemUtf8(int id, const std::string& utf8) {
  const std::wstring text = Utf8ToWide(utf8);
  SendMessageW(GetItem(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

LRESULT CWindow::WindowProc(UINT msg, WPARAM wp, LPARAM lp) { return DefaultProc(msg, wp, lp); }

LRESULT CWindow::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void CWindow::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

namespace {

// A notification of one of our controls comes from this thread, with the
// address of a record in this process. One sent from another thread (any
// other process can only send so) carries an address nobody vouches for:
// reading it could crash the program, so it is never read.
// The thread's sent-message state covers the calls made inside such a
// message too: a list view asked for a row's text by another process asks
// us for it with a notification that reads as sent from there. Its record
// lies on this thread's stack, in the frames of the calls that led here,
// where no other process can point at anything but our own live data.
bool IsForeignNotification(UINT msg, LPARAM lp) {
  if (msg != WM_NOTIFY ||
      (InSendMessageEx(nullptr) & (ISMEX_SEND | ISMEX_NOTIFY | ISMEX_CALLBACK)) == 0)
    return false;
  ULONG_PTR low = 0, base = 0;
  GetCurrentThreadStackLimits(&low, &base);
  const auto record = static_cast<uintptr_t>(lp);
  const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  const bool inCallersFrames = record > here && record < base && base - record >= sizeof(NMHDR);
  return !inCallersFrames;
}

std::atomic<uint64_t> messagesHandled{0};

}  // namespace

uint64_t CWindow::MessagesHandled() { return messagesHandled.load(std::memory_order_relaxed); }

void CWindow::NoteMessageHandled() { messagesHandled.fetch_add(1, std::memory_order_relaxed); }

LRESULT CWindow::Route(CWindow* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_TIMER) NoteMessageHandled();
  if (IsForeignNotification(msg, lp)) return self->DefaultProc(msg, wp, lp);
  LRESULT result = 0;
  try {
    result = self->WindowProc(msg, wp, lp);
  } catch (...) {
    ReportUnexpectedFailure(hwnd);
    result = self->DefaultProc(msg, wp, lp);
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnFinalMessage();
  }
  return result;
}

LRESULT CALLBACK CWindow::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  CWindow* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<CWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    if (self) self->Attach(hwnd);
  } else {
    self = FromHandle(hwnd);
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  return Route(self, hwnd, msg, wp, lp);
}

std::wstring GetWindowTextWide(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  if (n <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

PromptAnswer CWindowPrompt::Show(const std::string& text, const std::string& caption,
                                 PromptButtons buttons) {
  return ShowPromptBox(owner_.GetHwnd(), text, caption, buttons);
}
