#pragma once
// The launcher service: hand a file or program to the shell's "open" verb, or
// start a program and wait for it to end. Paths, parameters and arguments
// are UTF-8 (a Shift-JIS value is converted by its owner first).
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CDebugLog;

// Whether a program file may be started with arguments that come from
// outside: it must be named by its full path (never looked for in the current
// folder or along the search path), exist as a file, and not be a command
// script (".bat", ".cmd"), which Windows hands to its command interpreter
// with the arguments read as commands.
enum class ProgramFileCheck { kOk, kNotFullPath, kMissing, kCommandScript };
ProgramFileCheck CheckProgramFile(const std::string& path);
// True when the file name at the end of path ends in ".bat" or ".cmd" (any
// letter case; trailing dots and blanks, which Windows drops, ignored).
bool IsCommandScriptName(const std::string& path);

// How a started program went.
struct ProgramRun {
  enum class Outcome { kNotStarted, kEnded, kStillRunning };
  Outcome outcome = Outcome::kNotStarted;
  int exitCode = 0;  // when Ended
};

class ILauncher {
 public:
  virtual ~ILauncher() = default;
  // Shell "open" of file with optional parameters; true when it was started.
  virtual bool ShellOpen(const std::string& file, const std::string& parameters) = 0;
  // The same, started in directory (its working directory) and shown. A
  // launcher that cannot choose the directory opens the file as ShellOpen.
  virtual bool ShellOpenIn(const std::string& file, const std::string& parameters,
                           const std::string& directory) {
    (void)directory;
    return ShellOpen(file, parameters);
  }
  // Starts program with arguments (no command interpreter) and waits at most
  // timeoutMs for it to end. A program named without a folder is looked for in
  // the system's own folder first, then where the system searches programs.
  // Its exit code, or none when it could not be started or did not end in
  // time.
  virtual std::optional<int> RunAndWait(const std::string& program,
                                        const std::vector<std::string>& args,
                                        unsigned timeoutMs) = 0;
  // Starts program, a full path, with arguments (no command interpreter, no
  // search) in directory as its working folder, and waits at most timeoutMs
  // for it to end. A program still running then is left running. A launcher
  // that cannot choose the folder or tell a late program from one that did
  // not start runs it as RunAndWait.
  virtual ProgramRun RunInAndWait(const std::string& program, const std::vector<std::string>& args,
                                  const std::string& directory, unsigned timeoutMs) {
    (void)directory;
    const std::optional<int> code = RunAndWait(program, args, timeoutMs);
    if (!code) return ProgramRun{};
    return ProgramRun{ProgramRun::Outcome::kEnded, *code};
  }
};

// The system's launcher, for the libraries that have no debug log.
ILauncher& SystemLauncher();
// The system's launcher for the program: a program that cannot be started
// is written to log as well.
std::unique_ptr<ILauncher> MakeSystemLauncher(CDebugLog& log);
