#include "framework/message_loop.h"

#include "framework/message_box.h"
#include "framework/window.h"

int RunMessageLoop(const MessageLoopHooks& hooks) {
  MSG msg{};
  // The idle pass runs once the queue has emptied after a message that may
  // have changed what it shows. A timer's tick changes none of that, so an
  // idling program goes from tick to tick with no more than GetMessage:
  // under Wine each look at the queue is a call to its server.
  bool idlePending = true;
  for (;;) {
    if (idlePending && hooks.onIdle && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      idlePending = false;
      try {
        hooks.onIdle();
      } catch (...) {
        ReportUnexpectedFailure(nullptr);
      }
    }
    const BOOL r = GetMessageW(&msg, nullptr, 0, 0);
    if (r == 0) return static_cast<int>(msg.wParam);
    if (r == -1) return -1;
    if (msg.message == WM_TIMER) {
      // Nothing translates a tick: straight to its window, without the
      // two calls into Wine's or Windows' window manager that the
      // accelerators and the key translation would cost.
      DispatchMessageW(&msg);
      continue;
    }
    idlePending = true;
    CWindow::NoteMessageHandled();
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
