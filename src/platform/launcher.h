#pragma once
// The launcher service: hand a file or program to the shell's "open" verb, or
// start a program and wait for it to end.
#include <optional>
#include <string>
#include <vector>

class ILauncher {
 public:
  virtual ~ILauncher() = default;
  // Shell "open" of file with optional parameters; true when it was started.
  virtual bool ShellOpen(const std::string& file, const std::string& parameters) = 0;
  // Starts program with arguments (no command interpreter) and waits at most
  // timeoutMs for it to end; its exit code, or none when it could not be
  // started or did not end in time.
  virtual std::optional<int> RunAndWait(const std::string& program,
                                        const std::vector<std::string>& args,
                                        unsigned timeoutMs) = 0;
};

ILauncher& SystemLauncher();
