#pragma once
// One move-only owner for every kind of handle the program holds (Win32
// handles, C files, shared libraries, the mail library's objects). The traits
// say what an empty handle is and how to release one; traits with state (a
// release function looked up at run time) travel with the handle.
#include <utility>

template <class T, class Traits>
class UniqueAny : private Traits {
 public:
  UniqueAny() = default;
  explicit UniqueAny(T h, Traits traits = Traits()) : Traits(std::move(traits)), h_(h) {}
  ~UniqueAny() { reset(); }
  UniqueAny(UniqueAny&& o) noexcept
      : Traits(std::move(static_cast<Traits&>(o))), h_(std::exchange(o.h_, Traits::Invalid())) {}
  UniqueAny& operator=(UniqueAny&& o) noexcept {
    if (this != &o) {
      reset(std::exchange(o.h_, Traits::Invalid()));
      static_cast<Traits&>(*this) = std::move(static_cast<Traits&>(o));
    }
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;

  T get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::Invalid(); }
  T release() { return std::exchange(h_, Traits::Invalid()); }
  void reset(T h = Traits::Invalid()) {
    if (h_ != Traits::Invalid()) this->Close(h_);
    h_ = h;
  }
  T* put() {
    reset();
    return &h_;
  }

 private:
  T h_ = Traits::Invalid();
};

// Traits of a handle that is empty when null and released by one function.
template <class T, auto Release>
struct ReleasedBy {
  static T Invalid() { return nullptr; }
  static void Close(T h) { Release(h); }
};
