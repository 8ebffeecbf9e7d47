#pragma once
// One move-only owner for every kind of Win32 handle: the traits say what an
// empty handle is and how to release one.
#include <windows.h>

#include <utility>

template <class T, class Traits>
class UniqueAny {
 public:
  UniqueAny() = default;
  explicit UniqueAny(T h) : h_(h) {}
  ~UniqueAny() { reset(); }
  UniqueAny(UniqueAny&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
  UniqueAny& operator=(UniqueAny&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, Traits::Invalid()));
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;

  T get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::Invalid(); }
  T release() { return std::exchange(h_, Traits::Invalid()); }
  void reset(T h = Traits::Invalid()) {
    if (h_ != Traits::Invalid()) Traits::Close(h_);
    h_ = h;
  }
  T* put() {
    reset();
    return &h_;
  }

 private:
  T h_ = Traits::Invalid();
};

struct HandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct RegKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY h) { RegCloseKey(h); }
};
struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static void Close(HMODULE h) { FreeLibrary(h); }
};
struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static void Close(HICON h) { DestroyIcon(h); }
};
struct WindowTraits {
  static HWND Invalid() { return nullptr; }
  static void Close(HWND h) { DestroyWindow(h); }
};
struct GdiTraits {
  static HGDIOBJ Invalid() { return nullptr; }
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};

using UniqueHandle = UniqueAny<HANDLE, HandleTraits>;
using UniqueFileHandle = UniqueAny<HANDLE, FileHandleTraits>;
using UniqueHKey = UniqueAny<HKEY, RegKeyTraits>;
using UniqueModule = UniqueAny<HMODULE, ModuleTraits>;
using UniqueIcon = UniqueAny<HICON, IconTraits>;
using UniqueWindow = UniqueAny<HWND, WindowTraits>;
using UniqueGdiObject = UniqueAny<HGDIOBJ, GdiTraits>;
