#pragma once
// The services the program runs on. CNimbraApp makes them once, at start,
// and hands them to the document, the frame, the view and the settings
// sheet; nothing below reaches for a system service by itself.
#include <string>

#include "platform/core_services.h"

class CDebugLog;
class CJournalRecorder;
class CNoticeBoard;
class IClock;
class ILauncher;
class IPower;
class IPowerReadings;
class IPrompt;
class IRegistry;
class IStartupEntries;

struct ProgramServices {
  IClock& clock;
  IPrompt& prompt;
  ILauncher& launcher;
  IRegistry& registry;
  IPower& power;  // the machine's, or the dry run's log
  IPowerReadings& powerReadings;  // the sleep states and wake settings, read only
  IStartupEntries& startup;  // the user's Run key
  CDebugLog& log;
  std::string programPath;  // the running program's file (UTF-8)
  bool dryRun = false;
  // The board behind prompt, which the scheduler's tick holds so that
  // nothing it causes waits for a click; nullptr: prompt shows at once.
  CNoticeBoard* notices = nullptr;
  // The main window's caption marks the dry run (see DryRun::titleMark).
  bool dryRunTitleMark = false;
  // Where what happens around the recording windows is journalled.
  CJournalRecorder* journal = nullptr;

  // The clock, the prompt and the log, as the logic takes them.
  CoreServices Core() const { return CoreServices{clock, prompt, log}; }
};
