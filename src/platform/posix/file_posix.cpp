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

std::string UniqueSuffix() { return "." + std::to_string(getpid()) + ".tmp"; }
