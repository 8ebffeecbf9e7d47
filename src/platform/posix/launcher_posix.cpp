#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/launcher.h"

extern char** environ;

namespace {

std::optional<int> SpawnAndWait(const std::string& program, const std::vector<std::string>& args,
                                unsigned timeoutMs) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  // A bare name is looked for on the PATH.
  if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
    return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      if (WIFEXITED(status)) {
        // posix_spawn reports a missing program through the child's exit 127.
        return WEXITSTATUS(status);
      }
      return -1;
    }
    if (r < 0) return std::nullopt;
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// The Linux host has no shell association: "open" runs an executable file
// directly with the parameters as one argument, without waiting.
bool Open(const std::string& file, const std::string& parameters, const std::string* directory) {
  if (access(file.c_str(), X_OK) != 0) return false;
  std::vector<std::string> args;
  if (!parameters.empty()) args.push_back(parameters);
  std::vector<char*> argv{const_cast<char*>(file.c_str())};
  for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (directory && !directory->empty())
    posix_spawn_file_actions_addchdir_np(&actions, directory->c_str());
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, file.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  std::thread([pid] {  // reap the opened program whenever it ends
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return true;
}

class PosixLauncher final : public ILauncher {
 public:
  bool ShellOpen(const std::string& file, const std::string& parameters) override {
    return Open(file, parameters, nullptr);
  }
  bool ShellOpenIn(const std::string& file, const std::string& parameters,
                   const std::string& directory) override {
    return Open(file, parameters, &directory);
  }
  std::optional<int> RunAndWait(const std::string& program, const std::vector<std::string>& args,
                                unsigned timeoutMs) override {
    return SpawnAndWait(program, args, timeoutMs);
  }
};

}  // namespace

std::unique_ptr<ILauncher> MakeSystemLauncher(CDebugLog&) {
  return std::make_unique<PosixLauncher>();
}

ILauncher& SystemLauncher() {
  static PosixLauncher launcher;
  return launcher;
}
