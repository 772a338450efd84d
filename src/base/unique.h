// Owners for Win32 handles, one per failure value of the API family.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <tlhelp32.h>
#include <wininet.h>
#include <utility>

namespace bpriv {

template <class Traits>
class Unique {
 public:
  using T = typename Traits::Type;
  Unique() = default;
  explicit Unique(T h) noexcept : h_(h) {}
  Unique(Unique&& o) noexcept : h_(o.release()) {}
  Unique& operator=(Unique&& o) noexcept {
    reset(o.release());
    return *this;
  }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
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

struct FileTraits {  // CreateFileW, CreateToolhelp32Snapshot: INVALID_HANDLE_VALUE
  using Type = HANDLE;
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct HandleTraits {  // processes, threads, events: NULL
  using Type = HANDLE;
  static HANDLE Invalid() noexcept { return nullptr; }
  static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct RegKeyTraits {
  using Type = HKEY;
  static HKEY Invalid() noexcept { return nullptr; }
  static void Close(HKEY h) noexcept { ::RegCloseKey(h); }
};
struct FindFileTraits {
  using Type = HANDLE;
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { ::FindClose(h); }
};

struct CacheFindTraits {  // FindFirstUrlCacheEntryW: NULL
  using Type = HANDLE;
  static HANDLE Invalid() noexcept { return nullptr; }
  static void Close(HANDLE h) noexcept { ::FindCloseUrlCache(h); }
};

using UniqueFile = Unique<FileTraits>;
using UniqueHandle = Unique<HandleTraits>;
using UniqueRegKey = Unique<RegKeyTraits>;
using UniqueFindFile = Unique<FindFileTraits>;
using UniqueCacheFind = Unique<CacheFindTraits>;

// Memory from CoTaskMemAlloc (shell and history strings, item id lists).
struct CoTaskMemFreer {
  void operator()(void* p) const noexcept { ::CoTaskMemFree(p); }
};

}  // namespace bpriv
