#pragma once
// The services the program runs on. CNimbraApp makes them once, at start,
// and hands them to the document, the frame, the view and the settings
// sheet; nothing below reaches for a system service by itself.
#include <string>

class CDebugLog;
class IClock;
class ILauncher;
class IPower;
class IPrompt;
class IRegistry;

struct ProgramServices {
  IClock& clock;
  IPrompt& prompt;
  ILauncher& launcher;
  IRegistry& registry;
  IPower& power;  // the machine's, or the dry run's log
  CDebugLog& log;
  std::string programPath;  // the running program's file, system code page
  bool dryRun = false;
};
