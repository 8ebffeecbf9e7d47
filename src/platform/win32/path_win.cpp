#include <windows.h>

#include "platform/program_path.h"
#include "platform/text.h"
#include "platform/win32/text_win.h"

namespace {

std::string ModuleFileName(HMODULE module) {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return std::string();
    if (n < buf.size()) {
      buf.resize(n);
      return WideToUtf8(buf);
    }
    buf.resize(buf.size() * 2);
  }
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string ProgramPath() { return ModuleFileName(nullptr); }

std::string ModulePathContaining(const void* addr) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCWSTR>(addr), &module))
    return std::string();
  return ModuleFileName(module);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  // UTF-8: a byte of '\' or '/' is always that character.
  return IsSeparator(dir.back()) ? dir + name : dir + "\\" + name;
}

bool IsFullPath(const std::string& path) {
  const bool drive = path.size() >= 3 && AsciiLower(path[0]) >= 'a' && AsciiLower(path[0]) <= 'z' &&
                     path[1] == ':' && IsSeparator(path[2]);
  const bool share = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
  return drive || share;
}

std::string FullPathOf(const std::string& path) {
  if (path.empty()) return path;
  const std::wstring wide = Utf8ToWide(path);
  const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  const DWORD m = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  if (m == 0 || m >= n) return path;
  full.resize(m);
  return WideToUtf8(full);
}

bool SetCurrentFolder(const std::string& folder) {
  return !folder.empty() && SetCurrentDirectoryW(Utf8ToWide(folder).c_str()) != 0;
}
