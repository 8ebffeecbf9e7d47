#include "framework/window.h"

#include "framework/message_box.h"

CWindow::~CWindow() { Destroy(); }

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

LRESULT CWindow::WindowProc(UINT msg, WPARAM wp, LPARAM lp) { return DefaultProc(msg, wp, lp); }

LRESULT CWindow::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK CWindow::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  CWindow* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<CWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    if (self) {
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  } else {
    self = FromHandle(hwnd);
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);

  LRESULT result = 0;
  try {
    result = self->WindowProc(msg, wp, lp);
  } catch (...) {
    ReportUnexpectedFailure(hwnd);
    result = DefWindowProcW(hwnd, msg, wp, lp);
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnFinalMessage();
  }
  return result;
}
