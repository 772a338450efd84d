#include <cwchar>

#include "cache/url_cache_api.h"

namespace bpriv {
namespace {

class WinInetCache final : public UrlCacheApi {
 public:
  HANDLE FindFirst(const wchar_t* pattern, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) override {
    return ::FindFirstUrlCacheEntryW(pattern, buffer, size);
  }
  BOOL FindNext(HANDLE find, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) override {
    return ::FindNextUrlCacheEntryW(find, buffer, size);
  }
  BOOL FindClose(HANDLE find) override { return ::FindCloseUrlCache(find); }
  BOOL GetEntryInfo(const wchar_t* key, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) override {
    return ::GetUrlCacheEntryInfoW(key, buffer, size);
  }
  BOOL DeleteEntry(const wchar_t* key) override { return ::DeleteUrlCacheEntryW(key); }
  BOOL Commit(const wchar_t* key, const wchar_t* local_file, FILETIME expire, FILETIME last_modified,
              DWORD type) override {
    return ::CommitUrlCacheEntryW(key, local_file, expire, last_modified, type, nullptr, 0, nullptr, nullptr);
  }
};

}  // namespace

UrlCacheApi& WinInetUrlCache() {
  static WinInetCache cache;
  return cache;
}

const wchar_t* SecondSpellingOf(const wchar_t* pattern) {
  return pattern && std::wcscmp(pattern, kCookiePattern) == 0 ? kCookieContainerSpelling : nullptr;
}

}  // namespace bpriv
