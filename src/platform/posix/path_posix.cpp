#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include "platform/program_path.h"

std::string ProgramPath() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string ModulePathContaining(const void* addr) {
  Dl_info info{};
  if (dladdr(addr, &info) == 0 || info.dli_fname == nullptr) return std::string();
  char resolved[PATH_MAX];
  if (realpath(info.dli_fname, resolved) != nullptr) return resolved;
  return info.dli_fname;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool IsFullPath(const std::string& path) { return !path.empty() && path[0] == '/'; }

std::string FullPathOf(const std::string& path) {
  if (path.empty() || IsFullPath(path)) return path;
  char buf[PATH_MAX];
  if (getcwd(buf, sizeof buf) == nullptr) return path;
  return JoinPath(buf, path);
}

bool SetCurrentFolder(const std::string& folder) {
  return !folder.empty() && chdir(folder.c_str()) == 0;
}
