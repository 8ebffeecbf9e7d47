#include <windows.h>

#include "platform/program_path.h"
#include "platform/win32/text_win.h"

namespace {

std::string ModuleFileName(HMODULE module) {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return std::string();
    if (n < buf.size()) {
      buf.resize(n);
      return WideToAnsi(buf);
    }
    buf.resize(buf.size() * 2);
  }
}

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
  const char last = dir.back();
  return (last == '\\' || last == '/') ? dir + name : dir + "\\" + name;
}
