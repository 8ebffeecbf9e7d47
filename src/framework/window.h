#pragma once
// The one window base of the program: an object owns its HWND, `this` travels
// through lpCreateParams at WM_NCCREATE into the window's user data, and every
// message reaches one virtual handler with the default procedure as fallback.
#include <windows.h>

class CWindow {
 public:
  CWindow() = default;
  virtual ~CWindow();
  CWindow(const CWindow&) = delete;
  CWindow& operator=(const CWindow&) = delete;

  HWND GetHwnd() const { return hwnd_; }
  explicit operator bool() const { return hwnd_ != nullptr; }

  // Registers a window class whose procedure routes to CWindow objects. Only
  // the name, style, icon, cursor, brush and menu of wc are used. Registering
  // the same name twice is not an error.
  static bool RegisterClass(WNDCLASSEXW wc);
  // Creates the window of a class registered above; false on failure (the
  // error is left in GetLastError()).
  bool Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x,
              int y, int cx, int cy, HWND parent, HMENU menu);
  void Destroy();

  // The object that owns hwnd, when hwnd is a CWindow.
  static CWindow* FromHandle(HWND hwnd);

 protected:
  // Handles one message; the default is DefaultProc.
  virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);
  // Called after the last message (WM_NCDESTROY); the handle is gone.
  virtual void OnFinalMessage() {}

 private:
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
};
