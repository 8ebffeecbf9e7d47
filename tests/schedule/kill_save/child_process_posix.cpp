#include <errno.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "kill_save/child_process.h"

bool ChildProcess::Start(const std::string& arg1, const std::string& arg2) {
  const pid_t pid = fork();
  if (pid < 0) {
    lastError_ = static_cast<unsigned long>(errno);
    return false;
  }
  if (pid == 0) {
    execl("/proc/self/exe", "nimbra_kill_save_test", arg1.c_str(), arg2.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  id_ = pid;
  return true;
}

void ChildProcess::Kill() {
  kill(static_cast<pid_t>(id_), SIGKILL);
  int status = 0;
  waitpid(static_cast<pid_t>(id_), &status, 0);
}

void SleepMicroseconds(unsigned us) { usleep(us); }
