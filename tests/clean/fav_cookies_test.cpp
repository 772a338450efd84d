// Saving and restoring favourite cookies under Wine: the save against the real
// cache, the restore against the fake (which records the commit order), the
// round trip through the real agent, and files planted to make the agent
// write where it should not.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../../tools/agentctl/seed.h"
#include "cache/cache_subject.h"
#include "cache/fake_url_cache.h"
#include "cache/url_cache_enumerator.h"
#include "clean/fav_list.h"
#include "clean/restore_fav_cookies.h"
#include "clean/save_fav_cookies.h"
#include "data/saved_cookies.h"
#include "support/run_process.h"
#include "wipe/algo_registry.h"

namespace bpriv {
namespace {

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(test::Narrow(path).c_str(), std::ios::binary);  // ASCII paths in the test prefix
  if (!in) return "<missing>";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}
void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream(test::Narrow(path).c_str(), std::ios::binary | std::ios::trunc) << bytes;
}
bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
std::u16string U16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

std::wstring Data(bool epm) { return ProductDataFolder(epm); }
std::wstring Saved(bool epm = false) { return Data(epm) + L"\\SavedLowFavCookies1"; }
std::wstring List(bool epm = false) { return Data(epm) + L"\\LowFavCookies1"; }
std::wstring Temp() { return BaseFolder(false) + L"\\BSWFavCookiesTmp"; }
std::wstring InCookies(const wchar_t* name) { return CookieFolder() + L"\\" + name; }
std::wstring Outside(const wchar_t* name) { return BaseFolder(false) + L"\\" + name; }

SavedCookieRecord Record(const wchar_t* key, const std::wstring& path, const std::string& content) {
  SavedCookieRecord r;
  r.url = U16(key);
  r.file_name = U16(path);
  r.content = content;
  r.expire_time = 0x01DD000011112222ull;
  r.last_modified = 0x01DC000033334444ull;
  r.type = COOKIE_CACHE_ENTRY;
  return r;
}
std::string SavedFile(const std::vector<SavedCookieRecord>& records) {
  std::string bytes;
  AppendUint32Le(static_cast<uint32_t>(records.size()), &bytes);
  for (const SavedCookieRecord& r : records) AppendSavedRecord(r, &bytes);
  return bytes;
}
std::vector<SavedCookieRecord> ParseSaved(const std::string& bytes) {
  CMemorySource source(bytes.data(), bytes.size());
  uint32_t count = 0;
  std::vector<SavedCookieRecord> records;
  if (!ReadSavedCount(source, &count)) return records;
  for (SavedCookieRecord r; records.size() < count && ReadSavedRecord(source, &r);) records.push_back(r);
  return records;
}

bool RanToExit0(const std::wstring& job) {
  const std::string out = test::RunAgentctl(L"run " + job).output;
  return out.size() >= 8 && out.compare(out.size() - 8, 8, "exit 0\r\n") == 0;
}

// Whole seconds: Wine's cache keeps no fraction of a second.
constexpr uint64_t kExpire = 135107990240000000ull;
FILETIME Ft(uint64_t t) { return {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)}; }

agentctl::SeededEntry Seed(const wchar_t* name) {
  agentctl::SeededEntry e;
  EXPECT_TRUE(agentctl::SeedCookie(name, Ft(kExpire), &e)) << ::GetLastError();
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
      ::CreateDirectoryW(Data(epm).c_str(), nullptr);
      ::DeleteFileW(Saved(epm).c_str());
      ::DeleteFileW(List(epm).c_str());
    }
  }
  void TearDown() override { test::ResetRealCache(); }
};

TEST_F(FavCookies, SaveKeepsCachedFavouritesInListOrder) {
  const agentctl::SeededEntry one = Seed(L"one@fav.example/"), three = Seed(L"three@fav.example/");
  WriteBytes(three.local_file, "");  // a cookie file of 0 bytes is no failure
  ASSERT_TRUE(agentctl::WriteNameListFile(List(), {L"one@fav.example/", L"two@fav.example/", L"three@fav.example/"}));
  SaveFavCookies(false);
  const std::vector<SavedCookieRecord> saved = ParseSaved(ReadBytes(Saved()));
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(ReadBytes(Saved()).substr(0, 4), std::string("\x02\0\0\0", 4));
  CUrlCacheEnumerator lookup;
  for (const auto& [record, seeded] : {std::pair(saved[0], one), std::pair(saved[1], three)}) {
    const INTERNET_CACHE_ENTRY_INFOW* entry = lookup.GetEntryInfo(seeded.key.c_str());
    ASSERT_TRUE(entry);
    EXPECT_EQ(record.url, U16(seeded.key));
    EXPECT_EQ(record.file_name, U16(seeded.local_file));
    EXPECT_EQ(record.content, ReadBytes(seeded.local_file));
    EXPECT_EQ(record.expire_time, kExpire);
    EXPECT_EQ(record.last_modified, entry->LastModifiedTime.dwLowDateTime |
                                        uint64_t{entry->LastModifiedTime.dwHighDateTime} << 32);
    EXPECT_EQ(record.type, entry->CacheEntryType);
  }
  EXPECT_FALSE(saved[0].content.empty());
}

// What becomes of an older saved file (600 bytes of 'o') in each case.
TEST_F(FavCookies, SaveReplacesKeepsOrRemovesAnOlderFile) {
  const agentctl::SeededEntry a = Seed(L"a@fav.example/");
  const std::string old(600, 'o');
  SavedCookieRecord record = Record(L"Cookie:a@fav.example/", a.local_file, ReadBytes(a.local_file));
  record.expire_time = kExpire;
  record.last_modified = 0;
  const std::string one = SavedFile({record});
  enum Kind { kNoList, kEmptyList, kAbsent, kCached, kFileGone };
  struct {
    Kind list;
    bool epm;
    std::string expected;
  } cases[] = {
      {kNoList, false, old}, {kEmptyList, false, old}, {kAbsent, false, "<missing>"},
      {kCached, false, one + old.substr(one.size())},  // the older, longer file keeps its tail
      {kCached, true, one + old.substr(one.size())},  {kFileGone, false, "<missing>"},
  };
  for (const auto& c : cases) {
    WriteBytes(Saved(c.epm), old);
    WriteBytes(Saved(!c.epm), old);
    ::DeleteFileW(List(c.epm).c_str());
    if (c.list == kEmptyList) WriteBytes(List(c.epm), "");
    if (c.list == kAbsent) ASSERT_TRUE(agentctl::WriteNameListFile(List(c.epm), {L"b@fav.example/"}));
    if (c.list >= kCached) ASSERT_TRUE(agentctl::WriteNameListFile(List(c.epm), {L"a@fav.example/"}));
    if (c.list == kFileGone) ::DeleteFileW(a.local_file.c_str());
    SaveFavCookies(c.epm);
    EXPECT_EQ(ReadBytes(Saved(c.epm)), c.expected) << "case " << c.list << " epm " << c.epm;
    EXPECT_EQ(ReadBytes(Saved(!c.epm)), old) << "the other folder, case " << c.list;
  }
}

TEST_F(FavCookies, RestoreWritesBackCommitsInFileOrderAndDisposes) {
  test::FakeUrlCache cache;
  const std::wstring one = InCookies(L"restore1.txt"), two = InCookies(L"Low\\restore2.txt");
  const std::wstring empty = InCookies(L"restore3.txt");
  ::CreateDirectoryW(InCookies(L"Low").c_str(), nullptr);
  ::DeleteFileW(empty.c_str());
  WriteBytes(two, "an older, longer cookie file");
  WriteBytes(Saved(), SavedFile({Record(L"Cookie:one@x/", one, std::string("one\0after", 9)),
                                 Record(L"cookie:two@x/", two, "two"), Record(L"Cookie:three@x/", empty, "")}));
  RestoreFavCookies(false, cache);
  EXPECT_EQ(ReadBytes(one), "one");
  EXPECT_EQ(ReadBytes(two), "two");
  EXPECT_FALSE(Exists(empty)) << "content length 0 writes no file";
  EXPECT_EQ(CommittedKeys(cache), (std::vector<std::wstring>{L"Cookie:one@x/", L"cookie:two@x/", L"Cookie:three@x/"}));
  const test::FakeEntry* e = cache.Find(L"cookie:two@x/");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->local_file, two);
  EXPECT_EQ(e->expire_time.dwHighDateTime, 0x01DD0000u);
  EXPECT_EQ(e->last_modified_time.dwLowDateTime, 0x33334444u);
  EXPECT_EQ(e->type, DWORD{COOKIE_CACHE_ENTRY});
  EXPECT_FALSE(Exists(Temp()));
  EXPECT_FALSE(Exists(Saved()));
}

TEST_F(FavCookies, RestoreOfAMissingFileChangesNothing) {
  test::FakeUrlCache cache;
  RestoreFavCookies(false, cache);
  EXPECT_EQ(cache.calls, 0);
  EXPECT_FALSE(Exists(Temp()) || Exists(Saved()));
}

TEST_F(FavCookies, ACookieFileLostAtCommitComesBackFromItsCopy) {
  test::FakeUrlCache cache;
  cache.on_commit = [](const wchar_t*, const wchar_t* file) { ::DeleteFileW(file); };
  const std::wstring path = InCookies(L"restore4.txt");
  WriteBytes(Saved(), SavedFile({Record(L"Cookie:four@x/", path, "four")}));
  RestoreFavCookies(false, cache);
  EXPECT_EQ(ReadBytes(path), "four");
  EXPECT_FALSE(Exists(Temp()));
}

// Tampered saved files: the good first record is committed, the bad second
// one stops the job before anything of it is written, and the saved file stays.
TEST_F(FavCookies, TamperedRecordsWriteNothingAndKeepTheSavedFile) {
  const std::wstring victim = Outside(L"victim.txt"), fresh = Outside(L"fresh.txt");
  const std::wstring climb = CookieFolder() + L"\..\climbed.txt", linked = InCookies(L"linked.txt");
  const SavedCookieRecord good = Record(L"Cookie:good@x/", InCookies(L"good.txt"), "good");
  std::string overlong = SavedFile({good, Record(L"Cookie:b@x/", InCookies(L"b.txt"), "bbbb")});
  overlong.replace(overlong.size() - 28, 4, "\xFF\xFF\xFF\x7F");  // the content length
  const std::string full = SavedFile({good, Record(L"Cookie:b@x/", InCookies(L"b.txt"), "bbbb")});
  const std::string cases[] = {
      SavedFile({good, Record(L"Cookie:b@x/", victim, "evil")}),
      SavedFile({good, Record(L"Cookie:b@x/", fresh, "evil")}),
      SavedFile({good, Record(L"Cookie:b@x/", climb, "evil")}),
      SavedFile({good, Record(L"Cookie:b@x/", L"\\\\?\\" + InCookies(L"b.txt"), "evil")}),
      SavedFile({good, Record(L"http://b.example/", InCookies(L"b.txt"), "evil")}),
      SavedFile({good, Record(L"Cookie:b@x/", linked, "evil")}),
      full.substr(0, full.size() - 30),  // cut in the middle of the second record
      overlong,
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    WriteBytes(victim, "victim");
    ::DeleteFileW(fresh.c_str());
    ::DeleteFileW(linked.c_str());
    ::DeleteFileW(InCookies(L"b.txt").c_str());
    ASSERT_TRUE(::CreateHardLinkW(linked.c_str(), victim.c_str(), nullptr)) << ::GetLastError();
    WriteBytes(Saved(), cases[i]);
    test::FakeUrlCache cache;
    RestoreFavCookies(false, cache);
    EXPECT_EQ(CommittedKeys(cache), std::vector<std::wstring>{L"Cookie:good@x/"}) << "case " << i;
    EXPECT_EQ(ReadBytes(victim), "victim") << "case " << i;
    EXPECT_FALSE(Exists(fresh) || Exists(climb) || Exists(InCookies(L"b.txt"))) << "case " << i;
    EXPECT_EQ(ReadBytes(Saved()), cases[i]) << "case " << i;
    EXPECT_FALSE(Exists(Temp())) << "case " << i;
  }
  ::DeleteFileW(linked.c_str());
}

// Hard links planted under the agent's own names: their targets keep their bytes.
TEST_F(FavCookies, PlantedHardLinksKeepTheirTargetsBytes) {
  Seed(L"a@fav.example/");
  ASSERT_TRUE(agentctl::WriteNameListFile(List(), {L"a@fav.example/"}));
  ASSERT_TRUE(agentctl::WriteNameListFile(Data(false) + L"\CFL458392", {L"a@fav.example/"}));
  const std::wstring target = Outside(L"target.bin");
  const std::string bytes("\0\0\0\0target", 10);  // also a valid saved file of no record
  for (const wchar_t* name : {L"\SavedLowFavCookies1", L"\CFL458391"}) {
    const std::wstring link = Data(false) + name;
    WriteBytes(target, bytes);
    ::DeleteFileW(link.c_str());
    ASSERT_TRUE(::CreateHardLinkW(link.c_str(), target.c_str(), nullptr)) << ::GetLastError();
    SaveFavCookies(false);
    GetFavList(false);
    RestoreFavCookies(false);
    EXPECT_EQ(ReadBytes(target), bytes) << test::Narrow(name);
    EXPECT_TRUE(Exists(link)) << test::Narrow(name);
    ::DeleteFileW(link.c_str());
  }
}

// The real agent and cache: save, clean (agentctl empties the cache for now),
// restore. The favourites come back as they were; the other cookie does not.
TEST_F(FavCookies, SaveCleanRestoreKeepsTheFavourites) {
  const agentctl::SeededEntry fav1 = Seed(L"keep1@fav.example/"), fav2 = Seed(L"keep2@fav.example/");
  const agentctl::SeededEntry other = Seed(L"other@fav.example/");
  ASSERT_TRUE(agentctl::WriteNameListFile(List(), {L"keep1@fav.example/", L"keep2@fav.example/"}));
  struct Before {
    agentctl::SeededEntry seeded;
    std::string bytes;
    FILETIME expire;
    DWORD type;
  } before[2] = {{fav1, ReadBytes(fav1.local_file), {}, 0}, {fav2, ReadBytes(fav2.local_file), {}, 0}};
  CUrlCacheEnumerator lookup;
  for (Before& b : before) {
    const INTERNET_CACHE_ENTRY_INFOW* e = lookup.GetEntryInfo(b.seeded.key.c_str());
    ASSERT_TRUE(e);
    b.expire = e->ExpireTime;
    b.type = e->CacheEntryType;
  }
  // (COM's hidden window may or may not be seen before the exit line.)
  EXPECT_TRUE(RanToExit0(L"/BSWSAVECOOKIES"));
  EXPECT_EQ(test::RunAgentctl(L"seed --clear").exit_code, 0u);
  ASSERT_FALSE(lookup.GetEntryInfo(fav1.key.c_str()));
  ASSERT_FALSE(Exists(fav1.local_file));
  EXPECT_TRUE(RanToExit0(L"/BSWRESTORECOOKIES"));
  for (const Before& b : before) {
    const INTERNET_CACHE_ENTRY_INFOW* e = lookup.GetEntryInfo(b.seeded.key.c_str());
    ASSERT_TRUE(e) << test::Narrow(b.seeded.key);
    EXPECT_EQ(std::wstring(e->lpszLocalFileName), b.seeded.local_file);
    EXPECT_EQ(e->ExpireTime.dwLowDateTime, b.expire.dwLowDateTime);
    EXPECT_EQ(e->ExpireTime.dwHighDateTime, b.expire.dwHighDateTime);
    EXPECT_EQ(e->CacheEntryType, b.type);
    EXPECT_EQ(ReadBytes(b.seeded.local_file), b.bytes);
  }
  EXPECT_FALSE(lookup.GetEntryInfo(other.key.c_str()));
  EXPECT_FALSE(Exists(Saved()) || Exists(Temp()));
}

}  // namespace
}  // namespace bpriv
