#pragma once
// Drives windows from tests under Wine. In-process: a script of steps runs
// from a thread timer while a modal dialog runs its own loop. Cross-process:
// finding another process's windows and reading its list view.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/system_time.h"

namespace gui {

// A step returns true when it is done; false tries it again at the next tick.
// Steps wait on what they look for, however long the machine takes: only a
// script stalled for minutes (a hung dialog) gives up, so that the test fails
// instead of hanging.
using Step = std::function<bool()>;

class ModalScript {
 public:
  void Add(Step step) { steps_.push_back(std::move(step)); }
  // Runs show() (which enters a modal loop) while the steps run; when the
  // steps stall for minutes every dialog of the thread is cancelled and what
  // the thread showed is written to standard error.
  INT_PTR Run(const std::function<INT_PTR()>& show);
  bool Completed() const { return next_ == steps_.size(); }

 private:
  static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);
  void GiveUp();
  std::vector<Step> steps_;
  size_t next_ = 0;
  // When the current step began to wait (GetTickCount64).
  ULONGLONG waitingSince_ = 0;
  // A step that pumps messages (a nested modal loop) sees no tick of its own.
  bool inStep_ = false;
};

// Visible dialog-class windows (#32770) of this thread, or of process pid.
std::vector<HWND> ThreadDialogs();
std::vector<HWND> ProcessDialogs(DWORD pid);
// The first dialog with this caption (nullptr caption: any).
HWND FindThreadDialog(const wchar_t* caption);
// A message box among windows: the one with the text static 0xFFFF.
HWND FindMessageBox(const std::vector<HWND>& windows);
std::wstring MessageBoxText(HWND box);
std::wstring WindowText(HWND hwnd);
// Posts a click of button id to dlg.
void Click(HWND dlg, int id);
void CancelAllThreadDialogs();

// Fixed local time for dialogs that ask the clock.
class FixedClock : public IClock {
 public:
  explicit FixedClock(SystemTime now) : now_(now) {}
  SystemTime LocalNow() const override { return now_; }
  int64_t SecondsNow() const override;
  SystemTime now_;
};

// Writes what the screen shows of window (the whole screen when nullptr) to
// <screenshot folder>/name.png; false on failure.
bool SaveScreenshot(const std::string& name, HWND window = nullptr);
// Another folder for the screenshots (a Windows path) instead of the build's.
void SetScreenshotFolder(const std::wstring& folder);

// The text of a status bar's pane, across processes.
std::wstring RemoteStatusText(HWND statusBar, int pane);

// Cross-process list view and picker access.
std::wstring RemoteListText(HWND list, int row, int column);
int RemoteListCount(HWND list);
// The width of text in a list view's font in another process (LVM_GETSTRINGWIDTHW).
int RemoteListStringWidth(HWND list, const std::wstring& text);
bool RemoteSelectRow(HWND list, int row);
// Ticks or unticks the check box of a row of a list view with check boxes.
bool RemoteSetCheck(HWND list, int row, bool checked);
// Drops files on target as the shell does (WM_DROPFILES with the names in
// the target's memory).
bool RemoteDropFiles(HWND target, const std::vector<std::wstring>& files);
bool RemoteSetPicker(HWND picker, const SystemTime& t);
// The picker's value; false when it has none or cannot be read.
bool RemoteGetPicker(HWND picker, SystemTime* t);

// The texts of the notification balloons on screen (visible balloon
// tooltips of any process: under Wine, explorer's tray). Their titles cannot
// be read: Wine's tooltip does not answer TTM_GETTITLE.
std::vector<std::wstring> ShownBalloonTexts();

}  // namespace gui
