#include "framework/message_loop.h"

#include "framework/message_box.h"

int RunMessageLoop(const MessageLoopHooks& hooks) {
  MSG msg{};
  for (;;) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && hooks.onIdle) {
      try {
        hooks.onIdle();
      } catch (...) {
        ReportUnexpectedFailure(nullptr);
      }
    }
    const BOOL r = GetMessageW(&msg, nullptr, 0, 0);
    if (r == 0) return static_cast<int>(msg.wParam);
    if (r == -1) return -1;
    bool consumed = false;
    try {
      consumed = hooks.preTranslate && hooks.preTranslate(msg);
    } catch (...) {
      ReportUnexpectedFailure(nullptr);
      consumed = true;
    }
    if (consumed) continue;
    if (hooks.accelerators && hooks.acceleratorWindow &&
        TranslateAcceleratorW(hooks.acceleratorWindow, hooks.accelerators, &msg)) {
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}
