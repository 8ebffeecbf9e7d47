// Entry point of Nimbra.exe.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/win/nimbra_app.h"
#include "platform/app_title.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::vector<std::wstring> args;
  int argc = 0;
  if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
    for (int i = 0; i < argc; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
  }
  try {
    CNimbraApp app;
    return app.Run(args);
  } catch (...) {
    MessageBoxW(nullptr, L"予期しないエラーのため終了します。", kAppTitleWide, MB_OK | MB_ICONERROR);
    return 3;
  }
}
