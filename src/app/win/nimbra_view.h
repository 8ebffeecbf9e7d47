#pragma once
// The main window's only view: the schedule list in report mode. It carries
// the scheduler's timers, the tray icon and the countdown window, and turns
// double-click, Enter, Delete and the context menu into the document's
// commands.
#include <memory>
#include <string>

#include "framework/controls.h"
#include "framework/window.h"

class CMainFrame;
class CNimbraDoc;

class CNimbraView : public CWindow {
 public:
  static constexpr UINT kTrayMessage = WM_USER + 100;  // 1124
  static constexpr UINT_PTR kSchedulerTimer = 1234;
  static constexpr UINT_PTR kImportTimer = 4567;
  static constexpr int kColumnCount = 8;

  CNimbraView(CNimbraDoc& doc, CMainFrame& frame);
  ~CNimbraView() override;

  // Creates the view as a child of the frame, filling its client area.
  bool Create(HWND parent);
  // First-time set-up: columns, rows, timers, the plug-in's version text.
  void OnInitialUpdate();
  void RefreshList();

  void Go2Tray();
  void Come2Tray();
  bool IsInTray() const { return inTray_ != 0; }
  // The taskbar restarted: put the icon back when the window is in the tray.
  void OnTaskbarCreated();

  // Shell "open" of address (system code page); nothing when empty.
  void OpenUrl(const char* address);
  // "現在の操作( %s )を続行しますか？"; true on Yes.
  bool ConfirmOperation(const char* utf8Text);

  // Enter and Delete in the list; true when consumed.
  bool PreTranslateMessage(const MSG& msg);

  // The selected row (= table index), -1 when none.
  int GetSelectedRow() const;
  CListCtrl& List() { return list_; }
  CNimbraDoc& Document() { return doc_; }

  // The manual suspend command (休止モード / スタンバイ); noConfirm skips
  // the questions.
  void SuspendNow(bool noConfirm);
  // Whether suspending now leaves a schedule to wake up for.
  bool HasFollowingSchedule();
  // The machine resumed: a schedule whose window has begun shows as running.
  void OnResume();

  // The first command-line argument (system code page) for the import.
  void SetCommandLineFile(std::string path) { commandLineFile_ = std::move(path); }

  // The document's editing commands, run on the selected row.
  void OnScheduleAdd();
  void OnScheduleChange();
  void OnScheduleDelete();
  void OnRegularSchedule();

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OnTimer(UINT_PTR id);
  void ShowOperationMenu(POINT pt);
  void ChangeSchedule(bool forceRepeatDialog);

  CNimbraDoc& doc_;
  CMainFrame& frame_;
  CListCtrl list_;
  CTrayIcon tray_;
  UniqueIcon trayIconHandle_;
  HWND hiddenFrame_ = nullptr;
  int32_t inTray_ = 0;
  int32_t firstUpdate_ = 1;
  std::string commandLineFile_;
};
