#pragma once
// The application: start-up in order (settings path, single instance, the
// start-with-file flag, document, frame and view), the message loop, and the
// orderly end (view, then document, which saves).
#include <windows.h>

#include <string>
#include <vector>

class CNimbraApp {
 public:
  // Runs the program; the process exit code.
  int Run(const std::vector<std::wstring>& args);
};
