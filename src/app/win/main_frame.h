#pragma once
// The main frame: menu, tool bar, status bar and the list view inside. It
// routes the commands to the view and the document, enables them, hides into
// the tray instead of minimizing, answers the system's power and end-of-session
// broadcasts, and saves the settings when the session ends.
#include <memory>
#include <string>

#include "framework/controls.h"
#include "app/win/instance_handover.h"
#include "framework/window.h"

class CNimbraDoc;
class CNimbraView;
class CSettingsSaver;
struct ProgramServices;
struct ViewParts;

class CMainFrame : public CWindow {
 public:
  // parts: what the root built for the view; they outlive the frame.
  CMainFrame(CNimbraDoc& doc, CSettingsSaver& saver, const ProgramServices& services,
             const ViewParts& parts);
  ~CMainFrame() override;

  // Creates the frame (hidden), its bars and its view; false on failure. The
  // caption says so while the dry run is on.
  bool Create();
  CNimbraView* GetView() { return view_.get(); }
  HACCEL GetAccelerators() const { return accelerators_.get(); }

  // Command enabling of the tool bar and the keyboard indicators.
  void OnIdle();
  // Whether command id is enabled now.
  bool IsCommandEnabled(UINT id) const;
  // Messages for the frame's windows before dispatch; true when consumed.
  bool PreTranslateMessage(MSG& msg);

  // Opens the settings sheet on page 0 (EPG) or 1 (user settings).
  void OpenSettings(int page);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  bool OnCreate();
  void CreateToolBar();
  bool CreateStatusBar();
  void RecalcLayout();
  void OnCommand(UINT id);
  LRESULT OnPowerBroadcast(WPARAM event);
  // Asked before the program ends while a schedule lies ahead; true to end.
  bool ConfirmClose();
  // Hands the window's place to the settings, to be saved with them.
  void RememberPlace();
  void OnInitMenuPopup(HMENU menu);
  void ShowPrompt(UINT id);
  // The message pane when no command is pointed at: what comes next, or
  // the idle message while there is nothing to say.
  void ShowIdleMessage();
  void OnWakeStatus(const std::wstring& text);
  void UpdateIndicators();
  // A file handed over by a second start; TRUE when it is taken.
  LRESULT OnCopyData(const COPYDATASTRUCT& data);
  void OnDropFiles(HDROP drop);
  // Queues a file for the view's import.
  void QueueImport(const std::wstring& path);

  CNimbraDoc& doc_;
  CSettingsSaver& saver_;
  const ProgramServices& services_;
  const ViewParts& parts_;
  std::unique_ptr<CNimbraView> view_;
  HWND toolBar_ = nullptr;  // children: destroyed with the frame
  HWND statusBar_ = nullptr;
  UniqueImageList toolImages_;
  UniqueAccelerator accelerators_;
  UINT taskbarCreated_ = 0;
  std::wstring indicatorTexts_[4];
  std::wstring wakeText_;
  bool inMenu_ = false;
  CHandoverReceiver handover_;
};
