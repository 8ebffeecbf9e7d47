#include <windows.h>

#include "platform/program_path.h"
#include "platform/shared_library.h"
#include "platform/win32/system_cause_win.h"
#include "platform/win32/text_win.h"

SharedLibrary SharedLibrary::Open(const std::string& path, SystemError* error) {
  SharedLibrary lib;
  // A bare or relative name would be looked for through the search order,
  // the current folder included: only a full path is loaded.
  if (!IsFullPath(path)) {
    if (error) *error = SystemError{SystemCause::kNotFound, ERROR_MOD_NOT_FOUND};
    return lib;
  }
  const std::wstring wpath = Utf8ToWide(path);
  lib.handle_.reset(LoadLibraryW(wpath.c_str()));
  if (!lib.handle_ && error) {
    const DWORD code = GetLastError();
    *error = SystemError{code == ERROR_SUCCESS ? SystemCause::kOther : SystemCauseOf(code), code};
  }
  return lib;
}

void SharedLibrary::LibraryTraits::Close(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }

SharedLibrary::AnyFunction SharedLibrary::RawSymbol(const char* name) const {
  if (!handle_) return nullptr;
  return reinterpret_cast<AnyFunction>(GetProcAddress(static_cast<HMODULE>(handle_.get()), name));
}

std::string PlatformLibraryName(const std::string& dllName) { return dllName; }
