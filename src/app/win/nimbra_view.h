#pragma once
// The main window's only view: the schedule list in report mode. It carries
// the scheduler with its timers and countdown, the plug-in host and the tray
// icon, turns double-click, Enter, Delete and the context menu into the
// document's commands, and shows the document's dialogs.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/plugin_host.h"
#include "app/program_notifier.h"
#include "app/ui_relay.h"
#include "app/wake_status.h"
#include "engine/power_control.h"
#include "engine/scheduler.h"
#include "engine/tick_gate.h"
#include "framework/controls.h"
#include "framework/window.h"
#include "iepg/iepg_import.h"
#include "schedule/nimbra_view_interface.h"

class CNimbraDoc;
class CSettingsSaver;
struct ProgramServices;

// What the root builds for the view and keeps beyond it: the plug-in host,
// the power steps and the countdown windows' factory.
struct ViewParts {
  CPluginHost& pluginHost;
  CPowerControl& power;
  ICountdownWindowFactory& countdownWindows;
  // The notifications' sender, and the relay its reports reach the view
  // through (none: nothing is sent).
  CNotifySender* notifySender = nullptr;
  CUiRelay* relay = nullptr;
  // The windows the journal found missed at the start (the PC was off or the
  // program not running through them): told once the window is up.
  std::vector<ScheduleEntry> missedAtStart;
  // What a mail needs (none: no mail is sent).
  MailTools* mailTools = nullptr;
};

class CNimbraView : public CWindow,
                    public INimbraView,
                    public IScheduleView,
                    public IIepgChooser,
                    public IBalloon {
 public:
  static constexpr UINT kTrayMessage = WM_USER + 100;  // 1124
  // Runs the start's readiness check once the window shows.
  static constexpr UINT kCheckReadinessMessage = WM_USER + 101;
  // Runs the iEPG imports that wait, one after another.
  static constexpr UINT kRunImportsMessage = WM_USER + 102;
  // Shows the notices that the tick (or the load) queued on the board.
  static constexpr UINT kShowNoticesMessage = WM_USER + 104;
  // Tells that the settings file could not be written, outside the tick.
  static constexpr UINT kSaveFailedMessage = WM_USER + 105;
  // A window's event was journalled: the status line's journal note is new.
  static constexpr UINT kJournalMessage = WM_USER + 106;
  // The wake self-test came to its result: told outside the tick.
  static constexpr UINT kWakeTestDoneMessage = WM_USER + 107;
  // A dry run's power log took the test's sleep: the sleep and the resume
  // are played through the frame's power broadcasts.
  static constexpr UINT kPlaySleepMessage = WM_USER + 108;
  // Runs what the notifications' worker handed to the interface thread.
  static constexpr UINT kRelayMessage = WM_USER + 109;

  // frame: the main frame, whose menu the view shows and which it hides
  // into the tray.
  CNimbraView(CNimbraDoc& doc, CWindow& frame, CSettingsSaver& saver,
              const ProgramServices& services, const ViewParts& parts);
  // Cancels the wake-up timer and ends the countdown (the scheduler's end).
  ~CNimbraView() override;

  // Creates the view as a child of the frame.
  bool Create(HWND parent);
  // First-time set-up: columns, rows, timers, the plug-in's version text.
  void OnInitialUpdate();

  // The tray balloon; where the window is not in the tray, the icon shows
  // for the balloon's time only.
  void ShowBalloon(const std::string& title, const std::string& text, bool warning) override;
  // A notification could not be sent (from the relay).
  void NotifySendFailed(const std::string& reason);

  void Go2Tray();
  void Come2Tray();
  bool IsInTray() const { return inTray_ != 0; }
  // The taskbar restarted: put the icon back when the window is in the tray.
  void OnTaskbarCreated();

  // Shell "open" of address (UTF-8); nothing when empty.
  void OpenUrl(const char* address);
  // "現在の操作( %s )を続行しますか？"; true on Yes.
  bool ConfirmOperation(const char* utf8Text);
  // Enter and Delete in the list; true when consumed.
  bool PreTranslateMessage(const MSG& msg);

  void SuspendNow(bool noConfirm) { scheduler_->SuspendNow(noConfirm); }
  bool HasFollowingSchedule() const { return scheduler_->HasFollowingSchedule(); }
  bool SuspendingByProgram() const { return scheduler_->SuspendingByProgram(); }
  // The machine goes to sleep (the wake self-test hears it).
  void OnSleeping();
  // The machine resumed (automatic: with nobody at the PC): the scheduler's
  // resume, then the readiness check.
  void OnResume(bool automatic = true);

  // The readiness check (at start, after a resume, after the settings
  // changed): the status line afresh, and a notice of each problem not told
  // before. In the dry run the notice goes to the debug log instead.
  void CheckReadiness();
  // The whole diagnosis in its dialog (the help menu's command), whose
  // button starts the wake self-test after a question.
  void ShowWakeDiagnosis();
  // The wake self-test: refused with a message inside a schedule's reach,
  // else asked, then started.
  void RunWakeTest();
  // The journal window (実行履歴); the status line's note goes once it was looked at.
  void ShowJournal();
  // What comes next, with the readiness when it needs attention: the status
  // bar's wake pane and the tray tip.
  const std::string& WakeStatus() const { return statusLine_; }
  // Called with the new line whenever it changes.
  void SetWakeStatusSink(std::function<void(const std::wstring&)> sink) {
    statusSink_ = std::move(sink);
  }

  // The first command-line argument (UTF-8, a full path) for the import.
  void SetCommandLineFile(std::string path) { commandLineFile_ = std::move(path); }
  // An iEPG file to import (UTF-8): from the command line, from
  // a second start, dropped on the window. Imports run one after another,
  // each once no dialog of the program is open; none is lost.
  void QueueImport(std::string path);
  // Runs the waiting imports unless one runs already or a dialog is open
  // (the frame is disabled then; it asks again when it is enabled).
  void RunQueuedImports();
  // The window comes out of the tray and to the front (a file was handed over).
  void BringToFront();
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
  void WakeStatusChanged() override;
  void WakeTestFinished() override;

  // IIepgChooser
  bool ChooseIepgPrograms(const std::string& fileTitle, std::vector<IepgListRow>& rows) override;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 public:
  // The tray menu's last item, the File menu's exit.
  static constexpr wchar_t kTrayExitText[] = L"終了";

 private:
  void ShowOperationMenu(POINT pt);
  // The tray icon's menu: the 操作 menu and kTrayExitText.
  void ShowTrayMenu(POINT pt);
  // The test's result: kept in the settings, shown in a box.
  void TellWakeTest();
  // Reads the readiness afresh and shows the line if it changed.
  void UpdateWakeStatus();
  std::wstring TrayTip() const;
  // A column's given width, widened to fit its widest text in the list's font.
  int ColumnWidth(int column) const;

  CNimbraDoc& doc_;
  CWindow& frame_;
  CSettingsSaver& saver_;
  const ProgramServices& services_;
  CPluginHost& pluginHost_;
  CNotifySender* notifySender_;
  CUiRelay* relay_;
  std::unique_ptr<CJournalWindowFacts> windowFacts_;
  std::unique_ptr<CProgramNotifier> notifier_;
  std::unique_ptr<CScheduler> scheduler_;
  CTickGate tickGate_;  // lets the ticks that have nothing new to look at go
  std::vector<ScheduleEntry> missedAtStart_;

  CListCtrl list_;
  CTrayIcon tray_;
  UniqueIcon trayIcon_;
  bool balloonOnly_ = false;  // the icon is there for a balloon, not the tray
  HWND hiddenFrame_ = nullptr;
  int32_t inTray_ = 0;
  int32_t firstUpdate_ = 1;
  std::string commandLineFile_;
  std::deque<std::string> importQueue_;
  bool importing_ = false;

  WakeDiagnosis diagnosis_;
  CReadinessNotices notices_;
  std::string statusLine_;
  // What the status line adds while the last window fell short: "" when none.
  std::string journalNote_;
  void UpdateJournalNote();
  std::function<void(const std::wstring&)> statusSink_;
};
