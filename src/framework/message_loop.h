#pragma once
// The program's message loop on the user-interface thread.
#include <windows.h>

#include <functional>

struct MessageLoopHooks {
  // Sees every message but a timer's tick first; true when it consumed it.
  std::function<bool(MSG&)> preTranslate;
  // Runs when the queue has run empty after a message other than a timer's
  // tick (command enabling, indicators).
  std::function<void()> onIdle;
  // Accelerators translated for this window.
  HWND acceleratorWindow = nullptr;
  HACCEL accelerators = nullptr;
};

// Runs until WM_QUIT; the exit code it carried.
int RunMessageLoop(const MessageLoopHooks& hooks);
