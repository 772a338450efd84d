#include "cache/url_cache_enumerator.h"

#include <cstring>

namespace bpriv {

// The growth loop shared by the three reads: WinINet is told `needed`, never
// the capacity, and the block only grows.
template <class Call>
INTERNET_CACHE_ENTRY_INFOW* CUrlCacheEnumerator::Read(DWORD start_size, Call call) {
  DWORD needed = start_size;
  for (;;) {
    if (capacity_ < needed) {
      buffer_.reset();
      buffer_.reset(new BYTE[needed]);
      capacity_ = needed;
    }
    if (capacity_) std::memset(buffer_.get(), 0, capacity_);
    const DWORD told = needed;
    if (call(capacity_ ? record() : nullptr, &needed)) return record();
    // A cache that asks for no more than it was given would loop forever.
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= told) return nullptr;
  }
}

INTERNET_CACHE_ENTRY_INFOW* CUrlCacheEnumerator::FindFirst(const wchar_t* pattern) {
  Close();
  HANDLE found = nullptr;
  INTERNET_CACHE_ENTRY_INFOW* entry = Read(4096, [&](INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) {
    found = api_->FindFirst(pattern, buffer, size);
    return found != nullptr;
  });
  if (entry) find_ = CCacheFind(api_, found);
  return entry;
}

INTERNET_CACHE_ENTRY_INFOW* CUrlCacheEnumerator::FindFirstCookie() {
  INTERNET_CACHE_ENTRY_INFOW* entry = FindFirst(kCookiePattern);
  // Only "no container, or an empty one" earns the second spelling; on Windows
  // an empty container gives the same empty answer again.
  if (!entry && ::GetLastError() == ERROR_NO_MORE_ITEMS) entry = FindFirst(SecondSpellingOf(kCookiePattern));
  return entry;
}

INTERNET_CACHE_ENTRY_INFOW* CUrlCacheEnumerator::FindNext() {
  if (!find_) return nullptr;
  return Read(capacity_, [&](INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) {
    return api_->FindNext(find_.get(), buffer, size) != FALSE;
  });
}

INTERNET_CACHE_ENTRY_INFOW* CUrlCacheEnumerator::GetEntryInfo(const wchar_t* key) {
  return Read(capacity_, [&](INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) {
    return api_->GetEntryInfo(key, buffer, size) != FALSE;
  });
}

}  // namespace bpriv
