// Owners for the Windows resources the wipe engine holds: one type per
// failure value of the API that hands them out.
#pragma once

#include <windows.h>

#include <utility>

template <class Traits>
class Unique {  // copy is implicitly deleted
 public:
  using T = typename Traits::Type;
  Unique() = default;
  explicit Unique(T h) noexcept : h_(h) {}
  Unique(Unique&& o) noexcept : h_(o.release()) {}
  Unique& operator=(Unique&& o) noexcept {
    reset(o.release());
    return *this;
  }
  ~Unique() { reset(); }
  T get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != Traits::Invalid(); }
  T release() noexcept { return std::exchange(h_, Traits::Invalid()); }
  void reset(T h = Traits::Invalid()) noexcept {
    if (*this) Traits::Close(h_);
    h_ = h;
  }

 private:
  T h_ = Traits::Invalid();
};

struct FileTraits {
  using Type = HANDLE;
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
using UniqueFile = Unique<FileTraits>;

struct FindTraits {
  using Type = HANDLE;
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { ::FindClose(h); }
};
using UniqueFind = Unique<FindTraits>;

struct RegKeyTraits {
  using Type = HKEY;
  static HKEY Invalid() noexcept { return nullptr; }
  static void Close(HKEY h) noexcept { ::RegCloseKey(h); }
};
using UniqueRegKey = Unique<RegKeyTraits>;

struct LocalTraits {
  using Type = HLOCAL;
  static HLOCAL Invalid() noexcept { return nullptr; }
  static void Close(HLOCAL h) noexcept { ::LocalFree(h); }
};
using UniqueLocal = Unique<LocalTraits>;
