#include "cache/cache_subject.h"

#include "cache/fake_url_cache.h"
#include "support/run_process.h"
#include "../../tools/agentctl/seed.h"  // the same samples agentctl seeds

namespace bpriv::test {
namespace {

class FakeSubject final : public CacheSubject {
 public:
  explicit FakeSubject(bool exact) { fake_.wine_matching = exact; }
  UrlCacheApi& api() override { return fake_; }
  bool AddCookie(const std::wstring& name, FILETIME expire) override {
    FakeEntry e;
    e.key = L"Cookie:" + name;
    e.local_file = L"C:\\users\\u\\INetCookies\\" + std::to_wstring(fake_.size()) + L"COOKIE.txt";
    e.type = COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY;
    e.expire_time = expire;
    fake_.Add(e);
    return true;
  }
  bool AddTempFile(const std::wstring& url, DWORD bytes) override {
    FakeEntry e;
    e.key = url;
    e.local_file = L"C:\\users\\u\\INetCache\\" + std::to_wstring(fake_.size()) + L"FILE.txt";
    e.size_low = bytes;
    fake_.Add(e);
    return true;
  }
  bool AddWithoutFile(const std::wstring& url) override {
    FakeEntry e;
    e.key = url;
    fake_.Add(e);
    return true;
  }

 private:
  FakeUrlCache fake_;
};

class WinInetSubject final : public CacheSubject {
 public:
  WinInetSubject() { ResetRealCache(); }
  ~WinInetSubject() override { ResetRealCache(); }
  UrlCacheApi& api() override { return WinInetUrlCache(); }
  bool AddCookie(const std::wstring& name, FILETIME expire) override {
    agentctl::SeededEntry made;
    return agentctl::SeedCookie(name, expire, &made);
  }
  bool AddTempFile(const std::wstring& url, DWORD bytes) override {
    agentctl::SeededEntry made;
    return agentctl::SeedTempFile(url, bytes, &made);
  }
  bool AddWithoutFile(const std::wstring& url) override {
    agentctl::SeededEntry made;
    return agentctl::SeedEntryWithoutFile(url, NORMAL_CACHE_ENTRY, &made);
  }
};

}  // namespace

void ResetRealCache() {
  (void)RunAgentctl(L"seed --clear");
  wchar_t local[MAX_PATH] = {};
  if (!::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH)) return;
  const std::wstring folder = std::wstring(local) + L"\\Microsoft\\Windows\\History\\History.IE5";
  ::DeleteFileW((folder + L"\\index.dat").c_str());
  ::RemoveDirectoryW(folder.c_str());  // only when nothing else is in it
}

std::unique_ptr<CacheSubject> MakeSubject(SubjectKind kind) {
  switch (kind) {
    case SubjectKind::kFakeWindows:
      return std::make_unique<FakeSubject>(false);
    case SubjectKind::kFakeWine:
      return std::make_unique<FakeSubject>(true);
    case SubjectKind::kWinInet:
      break;
  }
  return std::make_unique<WinInetSubject>();
}

const char* NameOf(SubjectKind kind) {
  switch (kind) {
    case SubjectKind::kFakeWindows:
      return "FakeWindows";
    case SubjectKind::kFakeWine:
      return "FakeWine";
    case SubjectKind::kWinInet:
      break;
  }
  return "WinInet";
}

}  // namespace bpriv::test
