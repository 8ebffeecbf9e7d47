// Drives the installed program from the install test, where no test
// framework runs: waits until a top-level window of a class is shown, and
// asks it to close the way the user's close box does.
//   window_tool wait  <class> <seconds>   exit 0 once the window is shown
//   window_tool close <class> <seconds>   the same, then posts WM_CLOSE
// Exit 1 when no such window was shown in time, 2 on a bad call or a failed
// post.
#include <windows.h>
#include <stdlib.h>
#include <wchar.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  const int close = wcscmp(argv[1], L"close") == 0;
  if (!close && wcscmp(argv[1], L"wait") != 0) return 2;
  const int tenths = _wtoi(argv[3]) * 10;
  HWND window = NULL;
  for (int i = 0; i <= tenths; ++i) {
    window = FindWindowW(argv[2], NULL);
    if (window && IsWindowVisible(window)) break;
    window = NULL;
    Sleep(100);
  }
  if (!window) return 1;
  if (close && !PostMessageW(window, WM_CLOSE, 0, 0)) return 2;
  return 0;
}
