#pragma once
// The library service: load a shared library by its full path, resolve its
// exports by name, free it when the owner goes. A name ending in ".dll"
// stands for the same name ending in ".so" on Linux, so callers spell the
// Windows name. A bare or relative name is refused, never searched for.
#include <string>

#include "platform/system_cause.h"
#include "platform/unique_any.h"

class SharedLibrary {
 public:
  // Loads the library at path (a full path); an empty object when it cannot
  // be loaded, and then *error (when given) says why (kNotFound when path is
  // not a full path).
  static SharedLibrary Open(const std::string& path, SystemError* error = nullptr);
  explicit operator bool() const { return static_cast<bool>(handle_); }
  void Reset() { handle_.reset(); }

  // The export called name as a function pointer of type F, or nullptr.
  template <class F>
  F Get(const char* name) const {
    return reinterpret_cast<F>(RawSymbol(name));
  }

 private:
  using AnyFunction = void (*)(void);
  AnyFunction RawSymbol(const char* name) const;
  // The system's handle of a loaded library; Close is per platform.
  struct LibraryTraits {
    static void* Invalid() { return nullptr; }
    static void Close(void* handle);
  };
  UniqueAny<void*, LibraryTraits> handle_;
};

// The platform's file name of a library spelled with ".dll".
std::string PlatformLibraryName(const std::string& dllName);
