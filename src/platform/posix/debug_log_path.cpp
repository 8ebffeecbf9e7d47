#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/program_path.h"

std::string CDebugLog::DefaultPath() { return JoinPath(TempDirectory(), "dbg_print.log"); }

std::FILE* OpenLogForAppend(const std::string& path) {
  struct stat st {};
  const std::string folder = DirectoryOf(path);
  if (!folder.empty() && (lstat(folder.c_str(), &st) != 0 || S_ISLNK(st.st_mode))) return nullptr;
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink > 1) {
    close(fd);
    return nullptr;
  }
  std::FILE* f = fdopen(fd, "a");
  if (!f) close(fd);
  return f;
}
