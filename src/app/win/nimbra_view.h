#pragma once
// The main window's only view: the schedule list in report mode. It carries
// the scheduler with its timers and countdown, the plug-in host and the tray
// icon, turns double-click, Enter, Delete and the context menu into the
// document's commands, and shows the document's dialogs.
#include <memory>
#include <string>

#include "app/plugin_host.h"
#include "engine/power_control.h"
#include "engine/scheduler.h"
#include "engine/win/progress_sub_dlg.h"
#include "framework/controls.h"
#include "framework/window.h"
#include "schedule/nimbra_view_interface.h"

class CNimbraDoc;
class CSettingsSaver;
struct ProgramServices;

class CNimbraView : public CWindow, public INimbraView, public IScheduleView {
 public:
  static constexpr UINT kTrayMessage = WM_USER + 100;  // 1124

  // frame: the main frame, whose menu the view shows and which it hides
  // into the tray.
  CNimbraView(CNimbraDoc& doc, CWindow& frame, CSettingsSaver& saver,
              const ProgramServices& services);
  // Cancels the wake-up timer, ends the countdown, unloads the plug-in.
  ~CNimbraView() override;

  // Creates the view as a child of the frame.
  bool Create(HWND parent);
  // First-time set-up: columns, rows, timers, the plug-in's version text.
  void OnInitialUpdate();

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

  void SuspendNow(bool noConfirm) { scheduler_->SuspendNow(noConfirm); }
  bool HasFollowingSchedule() const { return scheduler_->HasFollowingSchedule(); }
  // The machine resumed: a schedule whose window has begun shows as running.
  void OnResume();
  CPluginHost& GetPluginHost() { return pluginHost_; }

  // The first command-line argument (system code page) for the import.
  void SetCommandLineFile(std::string path) { commandLineFile_ = std::move(path); }
  CListCtrl& List() { return list_; }

  // INimbraView
  int GetSelectedRow() override;
  void RefreshList() override;
  void FocusRowClearSelection(int row) override;
  bool ShowReservationDialog(ReservationValues& values) override;
  bool ShowRepeatDialog(RepeatValues& values) override;
  void SettingsSaveFailed(const std::string& path) override;

  // IScheduleView
  void SetTimer(unsigned id, unsigned ms) override;
  void KillTimer(unsigned id) override;
  void ImportCommandLineFile() override;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void ShowOperationMenu(POINT pt);

  CNimbraDoc& doc_;
  CWindow& frame_;
  CSettingsSaver& saver_;
  const ProgramServices& services_;
  // Destroyed in reverse: the scheduler (wake-up timer, countdown) before the
  // plug-in host.
  CPluginHost pluginHost_;
  CPowerControl powerControl_;
  CProgressSubDlgFactory countdownWindows_;
  std::unique_ptr<CScheduler> scheduler_;

  CListCtrl list_;
  CTrayIcon tray_;
  UniqueIcon trayIcon_;
  HWND hiddenFrame_ = nullptr;
  int32_t inTray_ = 0;
  int32_t firstUpdate_ = 1;
  std::string commandLineFile_;
};
