#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>

#include "platform/program_path.h"
#include "platform/shared_library.h"
#include "platform/text.h"

SharedLibrary SharedLibrary::Open(const std::string& path, SystemError* error) {
  SharedLibrary lib;
  // A bare or relative name would be looked for through the search order:
  // only a full path is loaded.
  if (!IsFullPath(path)) {
    if (error) *error = SystemError{SystemCause::kNotFound, ENOENT};
    return lib;
  }
  const std::string file = PlatformLibraryName(path);
  lib.handle_.reset(dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!lib.handle_ && error) {
    // dlopen gives only a text: a missing or unreadable file is told by its
    // errno, a file that is there but will not load is ENOEXEC.
    if (access(file.c_str(), R_OK) == 0)
      *error = SystemError{SystemCause::kOther, ENOEXEC};
    else if (errno == ENOENT)
      *error = SystemError{SystemCause::kNotFound, ENOENT};
    else if (errno == EACCES)
      *error = SystemError{SystemCause::kAccessDenied, EACCES};
    else
      *error = SystemError{SystemCause::kOther, static_cast<uint32_t>(errno)};
  }
  return lib;
}

void SharedLibrary::LibraryTraits::Close(void* handle) { dlclose(handle); }

SharedLibrary::AnyFunction SharedLibrary::RawSymbol(const char* name) const {
  if (!handle_) return nullptr;
  // POSIX guarantees that a data pointer from dlsym converts to a function pointer.
  return reinterpret_cast<AnyFunction>(dlsym(handle_.get(), name));
}

std::string PlatformLibraryName(const std::string& dllName) {
  const std::string_view ext = ".dll";
  if (EndsWithIgnoringAsciiCase(dllName, ext))
    return dllName.substr(0, dllName.size() - ext.size()) + ".so";
  return dllName;
}
