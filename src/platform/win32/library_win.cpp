#include <windows.h>

#include "platform/shared_library.h"
#include "platform/win32/text_win.h"

SharedLibrary SharedLibrary::Open(const std::string& path) {
  SharedLibrary lib;
  lib.handle_ = LoadLibraryW(AnsiToWide(path).c_str());
  return lib;
}

void SharedLibrary::Reset() {
  if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = nullptr;
}

SharedLibrary::AnyFunction SharedLibrary::RawSymbol(const char* name) const {
  if (!handle_) return nullptr;
  return reinterpret_cast<AnyFunction>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

std::string PlatformLibraryName(const std::string& dllName) { return dllName; }
