// Favourite cookies under Wine: the list job, the save against the real cache,
// the restore against the fake (which keeps the commit order), the round trip
// through the real agent, and files planted to make the agent write where it
// should not.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "../../tools/agentctl/seed.h"
#include "cache/fake_url_cache.h"
#include "cache/url_cache_enumerator.h"
#include "clean/fav_list.h"
#include "clean/restore_fav_cookies.h"
#include "clean/save_fav_cookies.h"
#include "data/name_list.h"
#include "data/saved_cookies.h"
#include "support/run_process.h"
#include "wipe/algo_registry.h"

namespace bpriv {
namespace {

using test::ReadBytes;
using test::WriteBytes;
bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Saved(bool epm = false) { return ProductDataFolder(epm) + L"\\SavedLowFavCookies1"; }
std::wstring List(bool epm = false) { return ProductDataFolder(epm) + L"\\LowFavCookies1"; }
std::wstring Temp() { return BaseFolder(false) + L"\\BSWFavCookiesTmp"; }
std::wstring InCookies(const wchar_t* name) { return CookieFolder() + L"\\" + name; }
std::wstring Outside(const wchar_t* name) { return BaseFolder(false) + L"\\" + name; }

constexpr uint64_t kExpire = 135107990240000000ull;  // whole seconds: Wine's cache keeps no fraction

// A record as the save makes it of a cookie that agentctl seeded.
SavedCookieRecord Record(const std::wstring& key, const std::wstring& path, const std::string& content) {
  return {std::u16string(key.begin(), key.end()), std::u16string(path.begin(), path.end()), content, kExpire, 0,
          COOKIE_CACHE_ENTRY};
}
std::string SavedFile(const std::vector<SavedCookieRecord>& records) {
  std::string bytes;
  AppendUint32Le(static_cast<uint32_t>(records.size()), &bytes);
  for (const SavedCookieRecord& r : records) AppendSavedRecord(r, &bytes);
  return bytes;
}

agentctl::SeededEntry Seed(const wchar_t* name) {
  agentctl::SeededEntry e;
  EXPECT_TRUE(agentctl::SeedCookie(name, {DWORD(kExpire), DWORD(kExpire >> 32)}, &e));
  return e;
}

// The fake's entries in the order they were committed.
std::vector<std::wstring> CommittedKeys(test::FakeUrlCache& cache) {
  std::vector<std::wstring> keys;
  CUrlCacheEnumerator walk(cache);
  for (auto* e = walk.FindFirstCookie(); e; e = walk.FindNext()) keys.push_back(e->lpszSourceUrlName);
  return keys;
}

class FavCookies : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ResetRealCache();
    InitWipeAlgos();
    for (bool epm : {false, true}) {
      ::CreateDirectoryW(ProductDataFolder(epm).c_str(), nullptr);
      ::DeleteFileW(Saved(epm).c_str());
    }
  }
  void TearDown() override { test::ResetRealCache(); }
};

// What the save makes of an older saved file (600 bytes of 'o') for each list.
TEST_F(FavCookies, SaveWritesReplacesKeepsOrRemoves) {
  const agentctl::SeededEntry a = Seed(L"a@fav.example/"), c = Seed(L"c@fav.example/");
  WriteBytes(c.local_file, "");  // a cookie file of 0 bytes is no failure
  const std::string old(600, 'o');
  const std::string two = SavedFile({Record(a.key, a.local_file, ReadBytes(a.local_file)), Record(c.key, c.local_file, "")});
  const std::vector<std::wstring> a_b_c = {L"a@fav.example/", L"b@fav.example/", L"c@fav.example/"};
  struct { const char* what; bool epm, list, delete_a; std::vector<std::wstring> names; std::string expected; } cases[] = {
      {"b is not cached; the old tail stays", false, true, false, a_b_c, two + old.substr(two.size())},
      {"the same with /EPM", true, true, false, a_b_c, two + old.substr(two.size())},
      {"no list", false, false, false, {}, old},
      {"an empty list", false, true, false, {}, old},
      {"none cached", false, true, false, {L"b@fav.example/"}, "<missing>"},
      {"a's file is gone", false, true, true, a_b_c, "<missing>"},
  };
  for (const auto& k : cases) {
    WriteBytes(Saved(k.epm), old);
    WriteBytes(Saved(!k.epm), old);
    ::DeleteFileW(List(k.epm).c_str());
    if (k.list) ASSERT_TRUE(agentctl::WriteNameListFile(List(k.epm), k.names));
    if (k.delete_a) ::DeleteFileW(a.local_file.c_str());
    SaveFavCookies(k.epm);
    EXPECT_EQ(ReadBytes(Saved(k.epm)), k.expected) << k.what;
    EXPECT_EQ(ReadBytes(Saved(!k.epm)), old) << k.what << ": the other folder";
  }
}

TEST_F(FavCookies, RestoreWritesBackCommitsInFileOrderAndDisposes) {
  test::FakeUrlCache cache;
  RestoreFavCookies(false, cache);
  EXPECT_EQ(cache.calls, 0) << "no saved file: nothing to do";

  const std::wstring one = InCookies(L"restore1.txt"), two = InCookies(L"Low\\restore2.txt");
  const std::wstring empty = InCookies(L"restore3.txt");
  ::CreateDirectoryW(InCookies(L"Low").c_str(), nullptr);
  ::DeleteFileW(empty.c_str());
  const std::string big(70000, 't');  // read across the reader's 64 KiB buffer
  WriteBytes(two, big + "an older, longer cookie file");
  SavedCookieRecord r2 = Record(L"cookie:two@x/", two, big);
  r2.last_modified = 7;
  WriteBytes(Saved(), SavedFile({Record(L"Cookie:one@x/", one, std::string("one\0after", 9)), r2,
                                 Record(L"Cookie:three@x/", empty, "")}));
  // The first cookie file is lost at its commit: it comes back from its copy.
  cache.on_commit = [](const wchar_t* key, const wchar_t* file) {
    if (std::wstring(key) == L"Cookie:one@x/") ::DeleteFileW(file);
  };
  RestoreFavCookies(false, cache);
  EXPECT_EQ(ReadBytes(one), "one");
  EXPECT_TRUE(ReadBytes(two) == big);
  EXPECT_FALSE(Exists(empty)) << "content length 0 writes no file";
  EXPECT_EQ(CommittedKeys(cache), (std::vector<std::wstring>{L"Cookie:one@x/", L"cookie:two@x/", L"Cookie:three@x/"}));
  const test::FakeEntry* e = cache.Find(L"cookie:two@x/");
  ASSERT_TRUE(e);  // file, expire time and type come back in the round trip below
  EXPECT_EQ(e->last_modified_time.dwLowDateTime, 7u);
  EXPECT_FALSE(Exists(Temp()) || Exists(Saved()));
}

// Tampered saved files: the good first record is committed, the bad second
// one stops the job before anything of it is written, and the saved file stays.
TEST_F(FavCookies, TamperedRecordsWriteNothingAndKeepTheSavedFile) {
  const std::wstring victim = Outside(L"victim.txt"), fresh = Outside(L"fresh.txt"), b = InCookies(L"b.txt");
  const std::wstring climb = CookieFolder() + L"\\..\\climbed.txt", linked = InCookies(L"linked.txt");
  const SavedCookieRecord good = Record(L"Cookie:good@x/", InCookies(L"good.txt"), "good");
  auto with = [&](const std::wstring& key, const std::wstring& path) { return SavedFile({good, Record(key, path, "bad")}); };
  std::string overlong = with(L"Cookie:b@x/", b);
  overlong.replace(overlong.size() - 27, 4, "\xFF\xFF\xFF\x7F");  // the content length
  const std::string cases[] = {
      with(L"Cookie:b@x/", victim), with(L"Cookie:b@x/", fresh),         with(L"Cookie:b@x/", climb),
      with(L"Cookie:b@x/", L"\\\\?\\" + b), with(L"http://b.example/", b), with(L"Cookie:b@x/", linked),
      overlong.substr(0, overlong.size() - 30),  // cut in the middle of the second record
      overlong,
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    WriteBytes(victim, "victim");
    for (const std::wstring& f : {fresh, linked, b}) ::DeleteFileW(f.c_str());
    ASSERT_TRUE(::CreateHardLinkW(linked.c_str(), victim.c_str(), nullptr)) << ::GetLastError();
    WriteBytes(Saved(), cases[i]);
    test::FakeUrlCache cache;
    RestoreFavCookies(false, cache);
    EXPECT_EQ(CommittedKeys(cache), std::vector<std::wstring>{L"Cookie:good@x/"}) << "case " << i;
    EXPECT_EQ(ReadBytes(victim), "victim") << "case " << i;
    EXPECT_FALSE(Exists(fresh) || Exists(climb) || Exists(b) || Exists(Temp())) << "case " << i;
    EXPECT_EQ(ReadBytes(Saved()), cases[i]) << "case " << i;
  }
  ::DeleteFileW(linked.c_str());
}

// Hard links planted under the agent's own names: their targets keep their bytes.
TEST_F(FavCookies, PlantedHardLinksKeepTheirTargetsBytes) {
  Seed(L"a@fav.example/");
  ASSERT_TRUE(agentctl::WriteNameListFile(List(), {L"a@fav.example/"}));
  ASSERT_TRUE(agentctl::WriteNameListFile(ProductDataFolder(false) + L"\\CFL458392", {L"a@fav.example/"}));
  const std::wstring target = Outside(L"target.bin");
  const std::string bytes("\0\0\0\0target", 10);  // also a valid saved file of no record
  for (const wchar_t* name : {L"\\SavedLowFavCookies1", L"\\CFL458391"}) {
    const std::wstring link = ProductDataFolder(false) + name;
    WriteBytes(target, bytes);
    ::DeleteFileW(link.c_str());
    ASSERT_TRUE(::CreateHardLinkW(link.c_str(), target.c_str(), nullptr)) << ::GetLastError();
    SaveFavCookies(false);
    GetFavList(false);
    RestoreFavCookies(false);
    EXPECT_EQ(ReadBytes(target), bytes) << test::Narrow(name);
    ::DeleteFileW(link.c_str());
  }
}

// The real agent and cache: save, a wiping cookie clean told of no favourite,
// restore. The favourites come back as they were; the other cookie does not.
TEST_F(FavCookies, SaveCleanRestoreKeepsTheFavourites) {
  const std::vector<agentctl::SeededEntry> favs = {Seed(L"keep1@fav.example/"), Seed(L"keep2@fav.example/")};
  const agentctl::SeededEntry other = Seed(L"other@fav.example/");
  ASSERT_TRUE(agentctl::WriteNameListFile(List(), {L"keep1@fav.example/", L"keep2@fav.example/"}));
  CUrlCacheEnumerator lookup;
  auto state = [&] {  // key, file, expire time, type and file bytes of every favourite
    std::ostringstream s;
    for (const agentctl::SeededEntry& f : favs)
      if (const INTERNET_CACHE_ENTRY_INFOW* e = lookup.GetEntryInfo(f.key.c_str()))
        s << test::Narrow(e->lpszSourceUrlName) << test::Narrow(e->lpszLocalFileName) << e->ExpireTime.dwLowDateTime
          << e->ExpireTime.dwHighDateTime << e->CacheEntryType << ReadBytes(f.local_file) << "\n";
    return s.str();
  };
  auto ran = [](const wchar_t* job) {  // COM's hidden window may or may not be seen before the exit line
    const std::string out = test::RunAgentctl(std::wstring(L"run ") + job).output;
    return out.size() >= 8 && out.compare(out.size() - 8, 8, "exit 0\r\n") == 0;
  };
  const std::string before = state();
  EXPECT_TRUE(ran(L"/BSWSAVECOOKIES"));
  ASSERT_TRUE(::DeleteFileW(List().c_str()));
  EXPECT_TRUE(ran(L"/BSWCLEARCOOKIES21-0-0"));
  ASSERT_EQ(state(), "");
  EXPECT_TRUE(ran(L"/BSWRESTORECOOKIES"));
  EXPECT_EQ(state(), before);
  for (const agentctl::SeededEntry& f : favs) EXPECT_NE(before.find(test::Narrow(f.local_file)), std::string::npos);
  EXPECT_FALSE(lookup.GetEntryInfo(other.key.c_str()));
  EXPECT_FALSE(Exists(Saved()) || Exists(Temp()));
}

// The favourite-cookie list job.
std::string NameListBytes(const std::vector<std::string>& names) {
  std::string bytes;
  for (const std::string& n : names) AppendNameListEntry(std::u16string(n.begin(), n.end()), &bytes);
  return bytes;
}

// Names in, files out, in input order, without entries that have no file or an
// empty one; a large entry read without overrunning; an older, longer output
// cut; none cached, or no known-folder function, leaves the old output.
TEST(GetFavList, ResolvesFavouritesWithAndWithoutEpm) {
  test::FakeUrlCache cache;
  cache.Add({L"Cookie:none@x/", std::nullopt});
  cache.Add({L"Cookie:empty@x/", L""});
  cache.Add({L"Cookie:big@x/", L"C:\\c\\big.txt", NORMAL_CACHE_ENTRY, 0, {}, {}, {}, 10000});
  cache.Add({L"Cookie:one@x/", L"C:\\c\\one.txt"});
  const std::vector<std::wstring> input = {L"big@x/", L"absent@x/", L"",      L"none@x/",
                                           L"empty@x/", L"\xFEFFone@x/", L"one@x/", L"big@x/"};
  const std::string old = NameListBytes(std::vector<std::string>(20, std::string(100, 'z')));
  for (int run = 0; run < 4; ++run) {
    const bool epm = run == 1, none = run == 2, no_folder = run == 3;
    const std::wstring folder = ProductDataFolder(epm);
    const std::wstring output = folder + (epm ? L"\\CFL573183" : L"\\CFL458391");
    const std::wstring other_output = ProductDataFolder(!epm) + (epm ? L"\\CFL458391" : L"\\CFL573183");
    WriteBytes(output, old);
    ::DeleteFileW(other_output.c_str());
    ASSERT_TRUE(agentctl::WriteNameListFile(folder + (epm ? L"\\CFL573184" : L"\\CFL458392"),
                                            none ? std::vector<std::wstring>{L"gone@x/", L""} : input));
    cache.calls = 0;
    EXPECT_EQ(no_folder ? GetFavList(epm, cache, nullptr) : GetFavList(epm, cache), 0);
    const std::string resolved = NameListBytes({"C:\\c\\big.txt", "C:\\c\\one.txt", "C:\\c\\big.txt"});
    EXPECT_EQ(ReadBytes(output), none || no_folder ? old : resolved) << "run " << run;
    EXPECT_EQ(ReadBytes(other_output), "<missing>") << "run " << run;
  }
  EXPECT_EQ(cache.calls, 0) << "no known-folder function: no lookup";
  EXPECT_EQ(cache.oversized_claims + cache.dirty_buffers, 0);
}

}  // namespace
}  // namespace bpriv
