#pragma once
// A launcher that starts nothing: it records each request and, for reg.exe
// exports, writes what a test says the export holds.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/launcher.h"

class RecordingLauncher final : public ILauncher {
 public:
  struct Opened {
    std::string file, parameters, directory;
  };
  struct Ran {
    std::string program;
    std::vector<std::string> args;
  };

  bool ShellOpen(const std::string& file, const std::string& parameters) override {
    return ShellOpenIn(file, parameters, "");
  }
  bool ShellOpenIn(const std::string& file, const std::string& parameters,
                   const std::string& directory) override {
    opened.push_back({file, parameters, directory});
    return openResult;
  }
  std::optional<int> RunAndWait(const std::string& program, const std::vector<std::string>& args,
                                unsigned) override {
    ran.push_back({program, args});
    return onRun ? onRun(program, args) : std::optional<int>(0);
  }

  bool openResult = true;
  std::function<std::optional<int>(const std::string&, const std::vector<std::string>&)> onRun;
  std::vector<Opened> opened;
  std::vector<Ran> ran;
};
