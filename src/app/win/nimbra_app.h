#pragma once
// The application and the program's composition root: start-up in order
// (command line, settings path, single instance, the services, the document
// and its settings, frame and view), the message loop, and the orderly end
// (view, then the one final save of the settings).
#include <windows.h>

#include <string>
#include <vector>

class CNimbraApp {
 public:
  // Runs the program; the process exit code.
  int Run(const std::vector<std::wstring>& args);
};
