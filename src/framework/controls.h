#pragma once
// Thin helpers over the common controls, menus and the notification area that
// the program uses: each owns what it creates and says what failed.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "platform/win32/handle.h"

using UniqueImageList = UniqueAny<HIMAGELIST, ReleasedBy<HIMAGELIST, &ImageList_Destroy>>;
using UniqueAccelerator = UniqueAny<HACCEL, ReleasedBy<HACCEL, &DestroyAcceleratorTable>>;

// Registers the common control classes the program uses (list view, tool and
// status bars, progress bar, date-time pickers); once per process.
bool InitCommonControlsOnce();

// Pixels at 96 dots per inch scaled to the screen's resolution.
int ScaleForDpi(int pixels96);

// Shows popup at screen point pt, tracked with the right button, commands
// going to owner.
void TrackPopupAt(HMENU popup, POINT pt, HWND owner);

// A report-style list view control (not owned: it is a child window).
class CListCtrl {
 public:
  CListCtrl() = default;
  explicit CListCtrl(HWND hwnd) : hwnd_(hwnd) {}
  HWND GetHwnd() const { return hwnd_; }
  void Attach(HWND hwnd) { hwnd_ = hwnd; }

  void SetExtendedStyle(DWORD style);
  int InsertColumn(int index, const std::wstring& heading, int width);
  bool DeleteColumn(int index);
  bool SetColumnWidth(int index, int width);
  // The width of text in the list's font, in pixels, without a cell's margins.
  int GetStringWidth(const std::wstring& text) const;
  int GetColumnCount() const;
  int InsertItem(int index, const std::wstring& text);
  bool SetItemText(int row, int column, const std::wstring& text);
  std::wstring GetItemText(int row, int column) const;
  bool DeleteAllItems();
  int GetItemCount() const;
  // The next row after start with the given state (LVNI_SELECTED ...); -1
  // when none.
  int GetNextItem(int start, UINT flags) const;
  bool SetItemState(int row, UINT state, UINT mask);

 private:
  HWND hwnd_ = nullptr;
};

// One icon in the notification area.
class CTrayIcon {
 public:
  CTrayIcon() = default;
  ~CTrayIcon() { Remove(); }
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Adds the icon: owner gets callbackMessage with the mouse message in
  // lParam. false when the shell refused.
  bool Add(HWND owner, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip);
  // Adds the same icon again (after the taskbar restarted).
  bool Readd();
  // Changes the tip (cut to what the shell holds); kept for a later Add.
  bool SetTip(const std::wstring& tip);
  bool Remove();
  bool IsAdded() const { return added_; }
  // Shows a balloon (a notification on Windows 10 and 11) at the icon, which
  // must be added; warning: with the warning icon.
  bool ShowBalloon(const std::wstring& title, const std::wstring& text, bool warning);

 private:
  NOTIFYICONDATAW data_{};
  bool added_ = false;
};
