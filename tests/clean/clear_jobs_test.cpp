// The two cleaning workers over the fake cache and real files: what each
// entry loses or keeps, the counts, and the cookie container's retry rule.
#include <gtest/gtest.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "../../tools/agentctl/seed.h"
#include "cache/fake_url_cache.h"
#include "clean/clear_cookies.h"
#include "clean/clear_temp_files.h"
#include "wipe/algo_registry.h"
#include "wipe/win_test_files.h"

namespace bpriv {
namespace {

using test::FakeEntry;
using test::FakeUrlCache;

int g_pauses = 0;
void CountPause(DWORD) { ++g_pauses; }

// The base folder the cookie worker is given: a test folder.
std::wstring g_base;
HRESULT WINAPI TestFolder(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR* path) {
  const size_t bytes = (g_base.size() + 1) * sizeof(wchar_t);
  *path = static_cast<PWSTR>(::CoTaskMemAlloc(bytes));
  std::copy(g_base.c_str(), g_base.c_str() + g_base.size() + 1, *path);
  return S_OK;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class CleanWorker : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(InitWipeAlgos(), 1);
    g_base = folder_.path().substr(0, folder_.path().size() - 1);
    g_pauses = 0;
    env_.cache = &cache_;
    env_.read_policy = {21, 100, CountPause};
    env_.known_folder = TestFolder;
  }
  // An entry whose file holds `bytes` bytes in the test folder.
  std::wstring AddFile(const std::wstring& key, DWORD bytes, DWORD type = NORMAL_CACHE_ENTRY) {
    const std::wstring file = folder_ / (L"f" + std::to_wstring(cache_.size()) + L".dat");
    EXPECT_TRUE(WriteBytes(file, std::vector<uint8_t>(bytes, 0x5A)));
    FakeEntry e;
    e.key = key;
    e.local_file = file;
    e.type = type;
    e.size_low = bytes;
    cache_.Add(e);
    return file;
  }
  void AddWithout(const std::wstring& key, std::optional<std::wstring> local, DWORD type = NORMAL_CACHE_ENTRY) {
    FakeEntry e;
    e.key = key;
    e.local_file = local;
    e.type = type;
    e.size_low = 7;
    cache_.Add(e);
  }
  void Favourites(const std::vector<std::wstring>& names) {
    ASSERT_TRUE(agentctl::WriteNameListFile(g_base + L"\\Brightsweep\\LowFavCookies1", names));
  }
  void Run(void (*body)(ProgressRecord&, bool, const CleanEnv&), bool wipe, int32_t algorithm = 0) {
    record_.job_args = new uint32_t[3]{static_cast<uint32_t>(algorithm), 0, 0};
    body(record_, wipe, env_);
    EXPECT_EQ(record_.job_args, nullptr) << "the worker takes and frees the block";
    EXPECT_EQ(cache_.open_finds, 0);
    EXPECT_EQ(cache_.oversized_claims, 0);
    EXPECT_EQ(record_.done_flag.load(), 0) << "the thread frame sets it, last";
  }

  CTempFolder folder_;
  FakeUrlCache cache_;
  CleanEnv env_;
  ProgressRecord record_;
};

TEST_F(CleanWorker, TempFilesDeleteAndWipeModes) {
  struct {
    const char* name;
    bool wipe;
    int32_t algorithm;
    bool wine;
    bool bytes_from_wiper;
  } cases[] = {
      {"delete", false, 0, false, false},
      {"delete, Wine walks every container", false, 0, true, false},
      {"wipe with zeroes", true, 0, true, true},
      {"wipe, index outside the registry", true, 99, false, false},
      {"wipe, negative index", true, -1, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cache_ = FakeUrlCache();
    record_.bytes_done = 0;
    cache_.wine_matching = c.wine;
    const std::wstring a = AddFile(L"http://t/a", 1000);
    const std::wstring b = AddFile(L"http://t/b", 3000);
    AddWithout(L"http://t/nofile", std::nullopt);
    const std::wstring cookie = AddFile(L"Cookie:c@t/", 50, COOKIE_CACHE_ENTRY);
    AddWithout(L"Visited: u@http://t/", std::nullopt, URLHISTORY_CACHE_ENTRY);
    Run(ClearTempFilesBody, c.wipe, c.algorithm);
    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(b));
    EXPECT_TRUE(Exists(cookie));
    EXPECT_EQ(cache_.size(), 2u) << "the cookie and the history entry stay";
    EXPECT_TRUE(cache_.Find(L"Cookie:c@t/"));
    EXPECT_EQ(record_.items_done.load(), 2) << "the entry without a file is not counted";
    if (c.bytes_from_wiper) EXPECT_GE(record_.bytes_done.load(), 4000u);
    else EXPECT_EQ(record_.bytes_done.load(), c.wipe ? 0u : 4000u);
    EXPECT_EQ(ListFolder(folder_.path()).size(), 1u) << "no renamed file left behind";
    if (!c.bytes_from_wiper)  // (the wiper writes its own text)
      EXPECT_EQ(std::u16string(record_.current_item).substr(0, 2), u" C") << "a blank, then the path";
  }
}

TEST_F(CleanWorker, TempFilesStopFlagBeforeAnEntry) {
  const std::wstring a = AddFile(L"http://t/a", 10);
  record_.stop_flag = 1;
  Run(ClearTempFilesBody, false);
  EXPECT_TRUE(Exists(a));
  EXPECT_EQ(cache_.size(), 1u);
  EXPECT_EQ(record_.items_done.load(), 0);
}

TEST_F(CleanWorker, CookieFavouritesAndEmptyNames) {
  struct {
    const char* name;
    std::vector<std::wstring> favourites;  // written with CR LF after each
    bool unterminated;                     // the last CR LF left off
    std::vector<std::wstring> kept;
  } cases[] = {
      {"no list", {}, false, {}},
      {"one favourite", {L"keep@x/"}, false, {L"Cookie:keep@x/"}},
      {"other letter case", {L"KEEP@X/", L"Mixed@X/"}, false, {L"Cookie:keep@x/", L"cookie:mixed@x/"}},
      {"the name alone is compared", {L"Cookie:keep@x/"}, false, {}},
      {"last line without CR LF", {L"keep@x/"}, true, {}},
      {"only A to Z fold", {L"\u00c9t\u00e9@x/"}, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cache_ = FakeUrlCache();
    record_.bytes_done = 0;
    const std::wstring fav_file = g_base + L"\\Brightsweep\\LowFavCookies1";
    ::DeleteFileW(fav_file.c_str());
    if (!c.favourites.empty()) Favourites(c.favourites);
    if (c.unterminated) {  // drop the final CR LF
      HANDLE f = ::CreateFileW(fav_file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ::SetFilePointer(f, -4, nullptr, FILE_END);
      ::SetEndOfFile(f);
      ::CloseHandle(f);
    }
    AddFile(L"Cookie:keep@x/", 10, COOKIE_CACHE_ENTRY);
    AddFile(L"cookie:mixed@x/", 20, COOKIE_CACHE_ENTRY);
    AddFile(L"Cookie:\u00e9t\u00e9@x/", 40, COOKIE_CACHE_ENTRY);
    AddWithout(L"Cookie:empty@x/", L"", COOKIE_CACHE_ENTRY);
    AddWithout(L"Cookie:null@x/", std::nullopt, COOKIE_CACHE_ENTRY);
    AddFile(L"http://t/a", 30);
    Run(ClearCookiesBody, false);
    std::vector<std::wstring> left;
    for (const wchar_t* k : {L"Cookie:keep@x/", L"cookie:mixed@x/", L"Cookie:\u00e9t\u00e9@x/", L"Cookie:empty@x/",
                             L"Cookie:null@x/"})
      if (cache_.Find(k)) left.push_back(k);
    EXPECT_EQ(left, c.kept);
    EXPECT_TRUE(cache_.Find(L"http://t/a")) << "not a cookie";
    uint64_t bytes = 10 + 20 + 40 + 7;  // the empty name counts; the null one does not
    int items = 4;
    for (const std::wstring& k : c.kept) {
      bytes -= k == L"Cookie:keep@x/" ? 10 : 20;
      --items;
    }
    EXPECT_EQ(record_.bytes_done.load(), bytes);
    EXPECT_EQ(record_.items_done.load(), items);
  }
}

TEST_F(CleanWorker, CookieWipeModeRenamesAndDeletesOnlyNamedFiles) {
  const std::wstring a = AddFile(L"Cookie:a@x/", 700, COOKIE_CACHE_ENTRY);
  AddWithout(L"Cookie:empty@x/", L"", COOKIE_CACHE_ENTRY);
  const std::wstring kept = AddFile(L"Cookie:k@x/", 10, COOKIE_CACHE_ENTRY);
  Favourites({L"k@x/"});
  Run(ClearCookiesBody, true, 1);
  EXPECT_FALSE(Exists(a));
  EXPECT_TRUE(Exists(kept));
  EXPECT_EQ(cache_.size(), 1u);
  EXPECT_EQ(record_.items_done.load(), 2);
  EXPECT_GE(record_.bytes_done.load(), 700u) << "counted by the wiper";
  EXPECT_EQ(ListFolder(folder_.path()).size(), 2u) << "the favourite and the Brightsweep folder";
}

// The cookie container's retry rule: every probe and read up to 21 times,
// 100 ms apart; "Cookie:" asked only when "cookie:" finds no entry at all.
TEST_F(CleanWorker, CookieContainerRetries) {
  struct {
    const char* name;
    bool wine;
    int entries;
    int busy_calls;         // failing find calls at the start
    int reads_before_busy;  // then these reads succeed ...
    int busy_reads;         // ... and these fail
    DWORD grow;             // bytes an entry grows after each probe
    size_t left;
    int pauses;
    int first_calls;
  } cases[] = {
      {"empty container: 21 probes, each under both spellings", false, 0, 0, 0, 0, 0, 0, 20, 42},
      {"empty under Wine: each probe under both spellings", true, 0, 0, 0, 0, 0, 0, 20, 42},
      {"Wine: the second spelling is kept", true, 3, 0, 0, 0, 0, 0, 0, 3},
      {"Windows: one spelling", false, 3, 0, 0, 0, 0, 0, 0, 2},
      {"busy 20 times, then all", false, 3, 20, 0, 0, 0, 0, 20, 22},
      {"busy 21 times: nothing", false, 3, 21, 0, 0, 0, 3, 20, 21},
      {"first read busy 20 times", false, 3, 0, 0, 20, 0, 0, 20, 22},
      {"later read busy 20 times", false, 3, 0, 1, 20, 0, 0, 20, 2},
      {"later read busy 21 times ends the walk", false, 3, 0, 1, 21, 0, 2, 20, 2},
      {"entry grows past its block between probe and read", false, 3, 0, 0, 0, 20000, 0, 3, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cache_ = FakeUrlCache();
    cache_.wine_matching = c.wine;
    for (int i = 0; i < c.entries; ++i) AddWithout(L"Cookie:c" + std::to_wstring(i) + L"@x/", L"");
    cache_.busy_calls = c.busy_calls;
    cache_.reads_before_busy = c.reads_before_busy;
    cache_.busy_reads = c.busy_reads;
    cache_.grow_after_probe = c.grow;
    g_pauses = 0;
    Run(ClearCookiesBody, false);
    EXPECT_EQ(cache_.size(), c.left);
    EXPECT_EQ(g_pauses, c.pauses);
    EXPECT_EQ(static_cast<int>(cache_.first_patterns.size()), c.first_calls);
    ASSERT_FALSE(cache_.first_patterns.empty());
    EXPECT_EQ(cache_.first_patterns[0], L"cookie:");
  }
}

}  // namespace
}  // namespace bpriv
