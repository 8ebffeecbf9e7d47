#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/file.h"

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

bool FileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

std::string TempDirectory() {
  const char* dir = std::getenv("TMPDIR");
  std::string d = (dir && *dir) ? dir : "/tmp";
  while (d.size() > 1 && d.back() == '/') d.pop_back();
  return d;
}

bool FlushFileToDisk(std::FILE* f) { return fsync(fileno(f)) == 0; }

bool ReplaceFileWith(const std::string& tmp, const std::string& target) {
  return std::rename(tmp.c_str(), target.c_str()) == 0;
}

std::FILE* CreateNewFile(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  std::FILE* f = fdopen(fd, "wb");
  if (!f) close(fd);
  return f;
}

bool SystemRandomBytes(unsigned char* out, size_t n) {
  while (n > 0) {
    const ssize_t got = getrandom(out, n, 0);
    if (got < 0) return false;
    out += got;
    n -= static_cast<size_t>(got);
  }
  return true;
}
