#pragma once
// The launcher service: hand a file or program to the shell's "open" verb, or
// start a program and wait for it to end. Paths, parameters and arguments
// are UTF-8 (a Shift-JIS value is converted by its owner first).
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CDebugLog;

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
};

// The system's launcher, for the libraries that have no debug log.
ILauncher& SystemLauncher();
// The system's launcher for the program: a program that cannot be started
// is written to log as well.
std::unique_ptr<ILauncher> MakeSystemLauncher(CDebugLog& log);
