#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "platform/launcher.h"
#include "platform/program_path.h"

extern char** environ;

namespace {

// Programs left running after their wait ended, reaped by a later wait so
// that none stays behind as a zombie. No thread of its own: this code may sit
// in a library that is unloaded while such a program still runs.
std::mutex lateMutex;
std::vector<pid_t> latePrograms;

void ReapLatePrograms() {
  std::lock_guard<std::mutex> lock(lateMutex);
  for (size_t i = 0; i < latePrograms.size();) {
    int status = 0;
    if (waitpid(latePrograms[i], &status, WNOHANG) != 0) {
      latePrograms.erase(latePrograms.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

// Starts program (a bare name is looked for on the PATH unless exact) in
// directory (empty: ours) and waits at most timeoutMs.
ProgramRun SpawnAndWait(const std::string& program, const std::vector<std::string>& args,
                        const std::string& directory, bool exact, unsigned timeoutMs) {
  ReapLatePrograms();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  pid_t pid = 0;
  const int rc = exact ? posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ)
                       : posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return ProgramRun{};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      // posix_spawn reports a missing program through the child's exit 127.
      return ProgramRun{ProgramRun::Outcome::kEnded, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
    }
    if (r < 0) return ProgramRun{};
    if (std::chrono::steady_clock::now() >= deadline) {
      std::lock_guard<std::mutex> lock(lateMutex);
      latePrograms.push_back(pid);
      return ProgramRun{ProgramRun::Outcome::kStillRunning, 0};
    }
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
    const ProgramRun run = SpawnAndWait(program, args, std::string(), false, timeoutMs);
    if (run.outcome != ProgramRun::Outcome::kEnded) return std::nullopt;
    return run.exitCode;
  }
  ProgramRun RunInAndWait(const std::string& program, const std::vector<std::string>& args,
                          const std::string& directory, unsigned timeoutMs) override {
    return SpawnAndWait(program, args, directory, true, timeoutMs);
  }
};

}  // namespace

ProgramFileCheck CheckProgramFile(const std::string& path) {
  if (!IsFullPath(path)) return ProgramFileCheck::kNotFullPath;
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return ProgramFileCheck::kMissing;
  return IsCommandScriptName(path) ? ProgramFileCheck::kCommandScript : ProgramFileCheck::kOk;
}

std::unique_ptr<ILauncher> MakeSystemLauncher(CDebugLog&) {
  return std::make_unique<PosixLauncher>();
}

ILauncher& SystemLauncher() {
  static PosixLauncher launcher;
  return launcher;
}
