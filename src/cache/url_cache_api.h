// The WinINet URL-cache calls this program makes, behind one narrow interface,
// so that tests can provoke what the real cache will not do on demand (a busy
// container, an entry that grows between two calls).
#pragma once
#include <windows.h>
#include <wininet.h>

#include <string>
#include <utility>
#include <vector>

namespace bpriv {

// Each call behaves like the WinINet function of the same name: failures
// return null/FALSE and set the thread's last error; buffer sizes are in bytes.
class UrlCacheApi {
 public:
  virtual ~UrlCacheApi() = default;
  virtual HANDLE FindFirst(const wchar_t* pattern, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) = 0;
  virtual BOOL FindNext(HANDLE find, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) = 0;
  virtual BOOL FindClose(HANDLE find) = 0;
  virtual BOOL GetEntryInfo(const wchar_t* key, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) = 0;
  virtual BOOL DeleteEntry(const wchar_t* key) = 0;
  // CommitUrlCacheEntryW without header info, extension or original URL.
  virtual BOOL Commit(const wchar_t* key, const wchar_t* local_file, FILETIME expire, FILETIME last_modified,
                      DWORD type) = 0;
  // The folders that hold the files of the cookie container, or of the
  // default one (GetUrlCacheConfigInfoW); empty when the cache cannot say.
  virtual std::vector<std::wstring> ContainerFolders(bool cookies) = 0;
};

// The production implementation: the current user's cache through wininet.dll.
UrlCacheApi& WinInetUrlCache();

// Owns a find handle of one UrlCacheApi; closes it through that same API.
class CCacheFind {
 public:
  CCacheFind() = default;
  CCacheFind(UrlCacheApi* api, HANDLE find) noexcept : api_(api), find_(find) {}
  CCacheFind(CCacheFind&& o) noexcept : api_(o.api_), find_(std::exchange(o.find_, nullptr)) {}
  CCacheFind& operator=(CCacheFind&& o) noexcept {
    if (this != &o) {
      Reset();
      api_ = o.api_;
      find_ = std::exchange(o.find_, nullptr);
    }
    return *this;
  }
  CCacheFind(const CCacheFind&) = delete;
  CCacheFind& operator=(const CCacheFind&) = delete;
  ~CCacheFind() { Reset(); }

  HANDLE get() const noexcept { return find_; }
  explicit operator bool() const noexcept { return find_ != nullptr; }
  void Reset() noexcept {
    if (find_) (void)api_->FindClose(find_);
    find_ = nullptr;
  }

 private:
  UrlCacheApi* api_ = nullptr;
  HANDLE find_ = nullptr;
};

// The cookie container as this program names it, and as Wine spells it.
// Windows matches container names regardless of case; Wine's WinINet compares
// them exactly and finds no container for the lower-case form.
constexpr const wchar_t kCookiePattern[] = L"cookie:";
constexpr const wchar_t kCookieContainerSpelling[] = L"Cookie:";

// The spelling to ask for once more when `pattern` found nothing, or null
// when there is no second spelling to try.
const wchar_t* SecondSpellingOf(const wchar_t* pattern);

}  // namespace bpriv
