#pragma once
// The one window base of the program. A CWindow wraps a window handle without
// owning it and offers the helpers every window and dialog uses on its
// controls. A window that routes its messages to an object (a window of a
// class registered here, a dialog, a property page) finds `this` as it is
// created: lpCreateParams at WM_NCCREATE, the dialog's lParam or the page's
// PROPSHEETPAGE::lParam at WM_INITDIALOG. `this` then lives in the window's
// user data and every message reaches the one virtual handler, WindowProc,
// with DefaultProc as fallback.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/prompt.h"

class CWindow {
 public:
  CWindow() = default;
  // Detaches the object from a window that still routes to it; the window
  // itself stays (use Destroy to end it).
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
  // Detaches this object and destroys its window: the last messages get the
  // default processing only.
  void Destroy();

  // The object that hwnd routes to, when it routes to one.
  static CWindow* FromHandle(HWND hwnd);
  // How many messages other than WM_TIMER the program's windows and dialogs
  // and its message loop have handled so far: unchanged, nothing has
  // happened to the program.
  static uint64_t MessagesHandled();
  // Counts one that reached none of our windows (a key for a control that
  // the loop took itself).
  static void NoteMessageHandled();

  // ---- The controls of this window, by id ----
  HWND GetItem(int id) const { return GetDlgItem(hwnd_, id); }
  // A check box or radio button: true only when checked (not indeterminate).
  bool IsItemChecked(int id) const;
  void CheckItem(int id, bool checked);
  void EnableItem(int id, bool enabled);
  // The control's text as UTF-16 or UTF-8.
  std::wstring GetItemText(int id) const;
  std::string GetItemTextUtf8(int id) const;
  void SetItemText(int id, const std::wstring& text);
  void SetItemTextUtf8(int id, const std::string& utf8);
  // A combo box's selected item, -1 when none; selecting -1 clears it.
  int GetComboIndex(int id) const;
  void SetComboIndex(int id, int index);
  // Appends an item (UTF-8) to a combo box's list.
  void AddComboItemUtf8(int id, const std::string& utf8);

 protected:
  // Handles one message; the default is DefaultProc.
  virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
  // What a message nobody handled gets: DefWindowProc for a window, "not
  // handled" for a dialog.
  virtual LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);
  // Called after the last message (WM_NCDESTROY); the handle is gone.
  virtual void OnFinalMessage() {}

  // Makes hwnd route its messages to this object.
  void Attach(HWND hwnd);
  // Hands one message to self's WindowProc: an exception stops here (reported,
  // the message gets DefaultProc), and after WM_NCDESTROY the object is
  // detached and told so.
  static LRESULT Route(CWindow* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
};

// The whole text of a window as UTF-16.
std::wstring GetWindowTextWide(HWND hwnd);

// The prompt service as message boxes owned by one window, so that a dialog's
// questions belong to the dialog. An empty caption is the system's default.
class CWindowPrompt final : public IPrompt {
 public:
  explicit CWindowPrompt(const CWindow& owner) : owner_(owner) {}
  PromptAnswer Show(const std::string& text, const std::string& caption,
                    PromptButtons buttons) override;

 private:
  const CWindow& owner_;
};
