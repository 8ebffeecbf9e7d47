#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/private_file.h"

std::FILE* OpenPrivateFileForWriting(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  struct stat st {};
  // Emptied only once it is known to be a file of its own.
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 ||
      fchmod(fd, 0600) != 0 || ftruncate(fd, 0) != 0) {
    close(fd);
    return nullptr;
  }
  std::FILE* f = fdopen(fd, "wb");
  if (f == nullptr) close(fd);
  return f;
}
