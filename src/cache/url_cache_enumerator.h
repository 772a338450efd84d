// Walks a URL-cache container or looks up one entry, reusing one growing
// buffer for every record.
#pragma once
#include <memory>

#include "cache/url_cache_api.h"

namespace bpriv {

class CUrlCacheEnumerator {
 public:
  explicit CUrlCacheEnumerator(UrlCacheApi& api = WinInetUrlCache()) : api_(&api) {}
  CUrlCacheEnumerator(const CUrlCacheEnumerator&) = delete;
  CUrlCacheEnumerator& operator=(const CUrlCacheEnumerator&) = delete;

  // Every record returned points into this enumerator's buffer and is valid
  // until the next call. Null at the end of the container or on any error.
  INTERNET_CACHE_ENTRY_INFOW* FindFirst(const wchar_t* pattern);
  // "cookie:"; when that finds nothing at all, once more as "Cookie:".
  INTERNET_CACHE_ENTRY_INFOW* FindFirstCookie();
  // Null at once when no enumeration runs. The find handle stays open after
  // a null result, until Close or destruction.
  INTERNET_CACHE_ENTRY_INFOW* FindNext();
  // Neither uses nor changes the find handle.
  INTERNET_CACHE_ENTRY_INFOW* GetEntryInfo(const wchar_t* key);
  void Close() { find_.Reset(); }

  DWORD capacity() const { return capacity_; }
  bool enumerating() const { return static_cast<bool>(find_); }

 private:
  template <class Call>
  INTERNET_CACHE_ENTRY_INFOW* Read(DWORD start_size, Call call);
  INTERNET_CACHE_ENTRY_INFOW* record() { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer_.get()); }

  UrlCacheApi* api_;
  std::unique_ptr<BYTE[]> buffer_;
  DWORD capacity_ = 0;
  CCacheFind find_;
};

}  // namespace bpriv
