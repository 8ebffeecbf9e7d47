#include "app/win/nimbra_app.h"

#include <memory>

#include "app/win/main_frame.h"
#include "app/win/nimbra_view.h"
#include "app/win/settings_saver.h"
#include "framework/controls.h"
#include "framework/message_box.h"
#include "framework/message_loop.h"
#include "platform/clock.h"
#include "platform/prompt.h"
#include "platform/win32/handle.h"
#include "platform/win32/text_win.h"
#include "schedule/nimbra_doc.h"
#include "schedule/settings_path.h"

int CNimbraApp::Run(const std::vector<std::wstring>& args) {
  InitCommonControlsOnce();

  const std::string settingsPath = SettingsFilePath();

  // One instance only: the mutex, named with the application title, lives as
  // long as the process.
  UniqueHandle instanceMutex(CreateMutexW(nullptr, TRUE, AppTitle().c_str()));
  if (!instanceMutex || GetLastError() == ERROR_ALREADY_EXISTS) {
    AppMessageBox(nullptr, std::wstring(L"二重起動はできません"), MB_OK);
    return 1;
  }

  auto doc = std::make_unique<CNimbraDoc>(SystemClock(), SystemPrompt(), settingsPath);
  // Any argument arms the import of the first one.
  if (args.size() >= 2) doc->AppInfo().SetStartWithFile(1);
  CSettingsSaver saver(*doc);

  int exitCode = 0;
  {
    CMainFrame frame(*doc, saver);
    if (!frame.Create()) {
      AppMessageBox(nullptr, std::wstring(L"メインウインドウを作成できませんでした。"),
                    MB_OK | MB_ICONERROR);
      return 1;
    }
    CNimbraView* view = frame.GetView();
    if (args.size() >= 2) view->SetCommandLineFile(WideToAnsi(args[1]));
    view->OnInitialUpdate();
    ShowWindow(frame.GetHwnd(), SW_SHOW);
    UpdateWindow(frame.GetHwnd());

    MessageLoopHooks hooks;
    hooks.preTranslate = [&frame](MSG& msg) { return frame.GetHwnd() && frame.PreTranslateMessage(msg); };
    hooks.onIdle = [&frame] {
      if (frame.GetHwnd()) frame.OnIdle();
    };
    hooks.acceleratorWindow = frame.GetHwnd();
    hooks.accelerators = frame.GetAccelerators();
    exitCode = RunMessageLoop(hooks);
  }
  // The view has gone with the frame; the document saves last.
  saver.Save(nullptr);
  doc.reset();
  return exitCode;
}
