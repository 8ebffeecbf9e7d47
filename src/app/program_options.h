#pragma once
// How the program was started: its command-line switches, the iEPG file it
// was given, and the dry-run mode, in which the power actions are only
// written to a log instead of acting on the machine.
#include <string>
#include <vector>

struct ProgramOptions {
  bool dryRun = false;   // "/dryrun"
  bool tray = false;     // "/tray": start hidden in the tray (the logon start)
  std::string iepgFile;  // the first argument that is no known switch; "" when none
};

// args: the arguments after the program's own name, as given. A known switch
// ("/name" or "-name", any letter case) is never taken for the iEPG file;
// anything else is a file name, whatever it starts with.
ProgramOptions ParseProgramArguments(const std::vector<std::string>& args);

// The dry run in force and where its log goes. powerLogVariable is the value
// of NIMBRA_POWER_LOG ("" when it is not set); it switches the dry run on as
// well and names the log. Without it the log is "Nimbra-dryrun.log" beside
// the settings file. unmarkedVariable is the value of NIMBRA_DRYRUN_UNMARKED:
// when set, a dry run leaves the title unmarked (the guide's pictures are
// taken that way: the program as the user sees it, the power steps only
// logged); without a dry run it does nothing.
struct DryRun {
  bool on = false;
  std::string logPath;
  bool titleMark = false;  // the main window's caption says it is a dry run
};
DryRun ResolveDryRun(bool dryRunSwitch, const std::string& powerLogVariable,
                     const std::string& unmarkedVariable, const std::string& settingsPath);

// The main window's caption (UTF-8): the application title, marked as a dry
// run when titleMark holds.
std::string FrameCaption(bool titleMark);

// The name of the program's value under the user's Run key, and the command
// line it holds: the program's full path (UTF-8), quoted, and the switch that
// starts it in the tray.
inline constexpr char kStartupEntryName[] = "Nimbra";
std::string StartupCommand(const std::string& programPathUtf8);

// The user's guide installed beside the program (in the folder Nimbra-docs,
// as both packages put it), what is said when it is not there, and when the
// shell would not open it (no browser for .html).
std::string GuidePath(const std::string& programPathUtf8);
std::string GuideMissingText(const std::string& guidePathUtf8);
std::string GuideNotOpenedText(const std::string& guidePathUtf8);
