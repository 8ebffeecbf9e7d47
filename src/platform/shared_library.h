#pragma once
// The library service: load a shared library by path, resolve its exports by
// name, free it when the owner goes. A name ending in ".dll" stands for the
// same name ending in ".so" on Linux, so callers spell the Windows name. A
// bare name is found by the system's search order on Windows and beside the
// program on Linux.
#include <string>
#include <utility>

class SharedLibrary {
 public:
  SharedLibrary() = default;
  ~SharedLibrary() { Reset(); }
  SharedLibrary(SharedLibrary&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  SharedLibrary& operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // Loads the library at path; an empty object when it cannot be loaded, and
  // then *error (when given) holds the system's error code.
  static SharedLibrary Open(const std::string& path, unsigned* error = nullptr);
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset();

  // The export called name as a function pointer of type F, or nullptr.
  template <class F>
  F Get(const char* name) const {
    return reinterpret_cast<F>(RawSymbol(name));
  }

 private:
  using AnyFunction = void (*)(void);
  AnyFunction RawSymbol(const char* name) const;
  void* handle_ = nullptr;
};

// The platform's file name of a library spelled with ".dll".
std::string PlatformLibraryName(const std::string& dllName);
