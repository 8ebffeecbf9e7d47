#pragma once
// The countdown's window (template 146): a progress bar, a status text and
// the "中止" button. Modeless, without parent or system menu; Enter and
// Escape do nothing, so it closes only when its worker reports the end
// (WM_USER+1 completed, WM_USER+2 stopped). It opens topmost, centred on the
// work area of the main window's monitor, where the user about to lose the
// PC to a power action sees it, even while the main window is in the tray.
#include <memory>
#include <mutex>
#include <string>

#include "engine/countdown.h"
#include "framework/dialog.h"

class CDebugLog;

class CProgressSubDlg : public CDialog, public ICountdownWindow {
 public:
  static constexpr UINT kCompleted = WM_USER + 1;
  static constexpr UINT kStopped = WM_USER + 2;

  // anchor is the main window whose monitor the window opens on (the primary
  // monitor when there is none); failed placement calls go to log.
  CProgressSubDlg(CCountdown& countdown, HWND anchor = nullptr, CDebugLog* log = nullptr);
  ~CProgressSubDlg() override;

  // Creates and shows the window; false when it cannot.
  bool Create();

  // ICountdownWindow, worker thread: everything is posted.
  void SetProgressRange(int low, int high) override;
  void SetProgressPos(int pos) override;
  void SetStatusText(const std::string& utf8) override;
  void PostCompleted() override;
  void PostStopped() override;
  // ICountdownWindow, interface thread.
  void SetCaption(const std::string& utf8) override;
  void Close() override;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override {}
  bool OnCommand(int id, int code, HWND control) override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  static constexpr UINT kStatusChanged = WM_APP + 1;
  void Post(HWND target, UINT msg, WPARAM wp, LPARAM lp);
  void PlaceOnTop();
  // ok, with a failed call logged when there is a log.
  bool Check(bool ok, const char* call);

  CCountdown& countdown_;
  HWND anchor_;
  CDebugLog* log_;
  // The window handles, readable from the worker thread.
  std::mutex mutex_;
  HWND window_ = nullptr;
  HWND progress_ = nullptr;
  std::wstring statusText_;
};

// Makes CProgressSubDlg windows for the scheduler's countdowns.
class CProgressSubDlgFactory : public ICountdownWindowFactory {
 public:
  // The windows open on anchor's monitor (the main window, made later than
  // this factory, so its handle is read at each creation).
  explicit CProgressSubDlgFactory(const CWindow* anchor = nullptr, CDebugLog* log = nullptr)
      : anchor_(anchor), log_(log) {}
  // The anchor for the windows made from now on (the root makes the factory
  // before the main window it hands it to).
  void AnchorOn(const CWindow* anchor) { anchor_ = anchor; }
  std::unique_ptr<ICountdownWindow> CreateCountdownWindow(CCountdown& countdown) override;

 private:
  const CWindow* anchor_;
  CDebugLog* log_;
};
