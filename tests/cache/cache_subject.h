// One URL cache for the contract tests: the fake, or Wine's real WinINet
// cache of the test user. Each test starts from an empty cache.
#pragma once
#include <memory>
#include <string>

#include "cache/url_cache_api.h"

namespace bpriv::test {

class CacheSubject {
 public:
  virtual ~CacheSubject() = default;
  virtual UrlCacheApi& api() = 0;
  // Each returns the entry's key; false when it could not be made.
  virtual bool AddCookie(const std::wstring& name, FILETIME expire) = 0;
  virtual bool AddTempFile(const std::wstring& url, DWORD bytes) = 0;
  virtual bool AddWithoutFile(const std::wstring& url) = 0;
};

// Empties the real cache of the test user. Walking every container makes Wine
// create the history container's files in the shell's History folder
// ("History.IE5\index.dat"), which other tests need empty, and a process
// that has walked them keeps them open: the walk runs in an agentctl process
// and the files are removed once it has ended.
void ResetRealCache();

enum class SubjectKind { kFakeWindows, kFakeWine, kWinInet };
std::unique_ptr<CacheSubject> MakeSubject(SubjectKind kind);
const char* NameOf(SubjectKind kind);

}  // namespace bpriv::test
