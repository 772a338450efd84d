#include <cwchar>

#include "cache/url_cache_api.h"

// Declared in winineti.h, which needs the security headers; the structure is
// read below by its layout.
struct _INTERNET_CACHE_CONFIG_INFOW;
extern "C" BOOL WINAPI GetUrlCacheConfigInfoW(_INTERNET_CACHE_CONFIG_INFOW* info, DWORD* size, DWORD flags);

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
  std::vector<std::wstring> ContainerFolders(bool cookies) override {
    // INTERNET_CACHE_CONFIG_INFOW: seven 32-bit fields, then the paths.
    struct PathEntry {
      wchar_t path[MAX_PATH];
      DWORD size;
    };
    struct ConfigInfo {
      DWORD struct_size, container, quota, reserved, per_user, sync_mode, paths;
      PathEntry entries[8];
      DWORD normal_usage, exempt_usage;
    } info = {};
    info.struct_size = sizeof(info);
    DWORD size = sizeof(info);
    constexpr DWORD kContentPaths = 0x100, kCookiesPaths = 0x200;  // CACHE_CONFIG_*_PATHS_FC
    std::vector<std::wstring> folders;
    if (!::GetUrlCacheConfigInfoW(reinterpret_cast<_INTERNET_CACHE_CONFIG_INFOW*>(&info), &size,
                                  cookies ? kCookiesPaths : kContentPaths))
      return folders;
    for (DWORD i = 0; i < info.paths && i < 8; ++i) {
      info.entries[i].path[MAX_PATH - 1] = L'\0';
      if (info.entries[i].path[0]) folders.emplace_back(info.entries[i].path);
    }
    return folders;
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
