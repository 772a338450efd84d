// Favourite cookies under Wine: the list, save, clean and restore jobs through
// the real agent, tampered saved files against the fake cache, and files
// planted to make the agent write where it should not.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "../../tools/agentctl/seed.h"
#include "base/unique.h"
#include "cache/fake_url_cache.h"
#include "cache/url_cache_enumerator.h"
#include "clean/restore_fav_cookies.h"
#include "clean/save_fav_cookies.h"
#include "data/name_list.h"
#include "data/saved_cookies.h"
#include "data/saved_digest.h"
#include "support/run_process.h"
#include "wipe/algo_registry.h"

namespace bpriv {
namespace {

using test::Exists, test::ReadBytes, test::WriteBytes;

std::wstring InData(const wchar_t* name) { return ProductDataFolder(false) + L"\\" + name; }
std::wstring InCookies(const wchar_t* name) { return CookieFolder() + L"\\" + name; }
std::wstring Outside(const wchar_t* name) { return BaseFolder(false) + L"\\" + name; }

constexpr uint64_t kExpire = 135107990240000000ull;  // whole seconds: Wine's cache keeps no fraction
FILETIME Ft(uint64_t t) { return {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)}; }

SavedCookieRecord Record(const std::wstring& key, const std::wstring& path, const std::string& content) {
  return {std::u16string(key.begin(), key.end()), std::u16string(path.begin(), path.end()), content, kExpire, 0,
          COOKIE_CACHE_ENTRY};
}

agentctl::SeededEntry Seed(const wchar_t* name) {
  agentctl::SeededEntry e;
  EXPECT_TRUE(agentctl::SeedCookie(name, {DWORD(kExpire), DWORD(kExpire >> 32)}, &e));
  return e;
}

// The Low folder as the shell answers it: refused unless found, owned and fitting MAX_PATH with its terminator.
HRESULT g_answer;
std::wstring g_path;
HRESULT WINAPI FakeKnownFolder(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR* out) {
  *out = nullptr;
  if (!g_path.empty()) *out = static_cast<PWSTR>(::CoTaskMemAlloc((g_path.size() + 1) * sizeof(wchar_t)));
  if (*out) wcscpy(*out, g_path.c_str());
  return g_answer;
}

TEST(DataFolder, TheShellsAnswerAndTheMaxPathLimit) {
  const std::wstring fits = L"C:\\" + std::wstring(MAX_PATH - 1 - 3 - 12, L'a');  // 259 units with "\Brightsweep"
  struct { HRESULT hr; std::wstring path; std::wstring data; } cases[] = {
      {S_OK, L"C:\\low", L"C:\\low\\Brightsweep"}, {E_FAIL, L"C:\\low", L""}, {S_OK, L"", L""},
      {S_OK, fits, fits + L"\\Brightsweep"}, {S_OK, fits + L"a", L""}, {S_OK, std::wstring(MAX_PATH, L'a'), L""}};
  for (const auto& c : cases) {
    g_answer = c.hr, g_path = c.path;
    EXPECT_EQ(ProductDataFolder(false, FakeKnownFolder), c.data) << c.path.size();
  }
  EXPECT_EQ(BaseFolder(false, nullptr), L"") << "no SHGetKnownFolderPath (before Vista)";
}

class FavCookies : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ResetRealCache();
    InitWipeAlgos();
    ::CreateDirectoryW(ProductDataFolder(false).c_str(), nullptr);
    ::DeleteFileW(InData(L"SavedLowFavCookies1").c_str());
  }
  void TearDown() override { test::ResetRealCache(); }
};

// Tampered saved files that bear a good digest: the good first record is
// committed and its file written (up to a NUL, cut, back from its copy when
// lost at its commit); the bad second one stops the job before anything of it
// is written (the cache's own index.dat neither), and the saved file stays.
// Without a digest of its bytes nothing is written at all.
TEST_F(FavCookies, TamperedRecordsWriteNothingAndKeepTheSavedFile) {
  const std::wstring victim = Outside(L"victim.txt"), fresh = Outside(L"fresh.txt"), b = InCookies(L"b.txt");
  const std::wstring climb = CookieFolder() + L"\\..\\climbed.txt", linked = InCookies(L"linked.txt");
  const std::wstring good_file = InCookies(L"good.txt");
  const std::string big(70000, 't');
  const SavedCookieRecord good = Record(L"Cookie:good@x/", good_file, big + std::string("\0after", 6));
  auto with = [&](const std::wstring& key, const std::wstring& path) {  // a saved file of the good record and a bad one
    std::string bytes;
    AppendUint32Le(2, &bytes);
    for (const SavedCookieRecord& r : {good, Record(key, path, "bad")}) AppendSavedRecord(r, &bytes);
    return bytes;
  };
  std::string overlong = with(L"Cookie:b@x/", b);
  overlong.replace(overlong.size() - 27, 4, "\xFF\xFF\xFF\x7F");  // the content length
  const std::wstring index = InCookies(L"index.dat");
  const std::string index_bytes = ReadBytes(index);
  const std::string cases[] = {
      with(L"Cookie:b@x/", victim), with(L"Cookie:b@x/", fresh),         with(L"Cookie:b@x/", climb),
      with(L"Cookie:b@x/", L"\\\\?\\" + b), with(L"http://b.example/", b), with(L"Cookie:b@x/", linked),
      overlong.substr(0, overlong.size() - 30),  // cut in the middle of the second record
      overlong,                                  with(L"Cookie:b@x/", index),   with(L"Cookie:b@x/", b + L".dat"),
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    WriteBytes(victim, "victim");
    for (const std::wstring& f : {fresh, linked, b}) ::DeleteFileW(f.c_str());
    ASSERT_TRUE(::CreateHardLinkW(linked.c_str(), victim.c_str(), nullptr)) << ::GetLastError();
    WriteBytes(InData(L"SavedLowFavCookies1"), cases[i]);
    ASSERT_TRUE(WriteSavedDigests(false, {*Sha256(cases[i].data(), cases[i].size())}));
    WriteBytes(good_file, big + "an older, longer cookie file");
    test::FakeUrlCache cache;
    if (i % 2) cache.on_commit = [](const wchar_t*, const wchar_t* file) { ::DeleteFileW(file); };
    RestoreFavCookies(false, cache);
    EXPECT_TRUE(cache.size() == 1 && cache.Find(L"Cookie:good@x/")) << "case " << i;
    EXPECT_TRUE(ReadBytes(good_file) == big && ReadBytes(victim) == "victim") << "case " << i;
    EXPECT_FALSE(Exists(fresh) || Exists(climb) || Exists(b) || Exists(Outside(L"BSWFavCookiesTmp"))) << "case " << i;
    EXPECT_TRUE(ReadBytes(InData(L"SavedLowFavCookies1")) == cases[i] && ReadBytes(index) == index_bytes) << i;
  }
  for (const std::vector<Sha256Digest>& digests : {std::vector<Sha256Digest>{}, {*Sha256("other", 5)}}) {
    WriteBytes(InData(L"SavedLowFavCookies1"), cases[0]);
    ASSERT_TRUE(WriteSavedDigests(false, digests));
    test::FakeUrlCache cache;
    RestoreFavCookies(false, cache);
    EXPECT_TRUE(cache.size() == 0 && ReadBytes(InData(L"SavedLowFavCookies1")) == cases[0]);
  }
  ::DeleteFileW(linked.c_str());
}

// The save read back: each field as the cache had it, the favourite not cached
// left out. The older saved file stays whole on the disk while the save looks
// favourites up; a favourite whose file is gone fails the next save, which
// then leaves no saved file, the older one neither, and no digest.
bool g_older_whole = true;
TEST_F(FavCookies, SaveWritesEveryFieldOrNothing) {
  const std::wstring saved = InData(L"SavedLowFavCookies1"), files[] = {InCookies(L"fa.txt"), InCookies(L"fb.txt")};
  ASSERT_TRUE(agentctl::WriteNameListFile(InData(L"LowFavCookies1"), {L"a@x/", L"none@x/", L"b@x/"}));
  WriteBytes(saved, "older");
  test::FakeUrlCache cache;
  const SavedCookieRecord want[] = {{u"Cookie:a@x/", std::u16string(files[0].begin(), files[0].end()), "A=1", 1ull << 40, 7, 17},
                                    {u"Cookie:b@x/", std::u16string(files[1].begin(), files[1].end()), "", 5, 1ull << 50, 9}};
  std::string bytes;  // the layout itself is the format's tests' concern
  AppendUint32Le(2, &bytes);
  for (const SavedCookieRecord& r : want) {
    const std::wstring file(r.file_name.begin(), r.file_name.end());
    WriteBytes(file, r.content);
    cache.Add({std::wstring(r.url.begin(), r.url.end()), file, r.type, 0, Ft(r.expire_time), Ft(r.last_modified)});
    AppendSavedRecord(r, &bytes);
  }
  cache.on_lookup = [] { g_older_whole = g_older_whole && ReadBytes(InData(L"SavedLowFavCookies1")) == "older"; };
  SaveFavCookies(false, cache);
  EXPECT_TRUE(ReadBytes(saved) == bytes && g_older_whole);
  EXPECT_EQ(ReadSavedDigests(false), std::vector<Sha256Digest>{*Sha256(bytes.data(), bytes.size())});
  ASSERT_TRUE(::DeleteFileW(files[1].c_str()));
  SaveFavCookies(false, cache);
  EXPECT_TRUE(!Exists(saved) && ReadSavedDigests(false).empty());
  ::DeleteFileW(files[0].c_str());
}

// The real agent over the real cache: the list job writes the files of the
// cached favourites in list order over an older, longer output; save, a
// wiping cookie clean told of no favourite, restore: the favourites come back
// as they were; the other cookie does not. (Links planted under the agent's
// names: the shell tests' table.)
TEST_F(FavCookies, ListSaveCleanRestoreKeepsTheFavourites) {
  const std::vector<agentctl::SeededEntry> favs = {Seed(L"keep1@fav.example/"), Seed(L"keep2@fav.example/")};
  const agentctl::SeededEntry other = Seed(L"other@fav.example/");
  ASSERT_TRUE(agentctl::WriteNameListFile(InData(L"LowFavCookies1"), {L"keep1@fav.example/", L"keep2@fav.example/"}));
  ASSERT_TRUE(agentctl::WriteNameListFile(InData(L"CFL458392"), {L"keep2@fav.example/", L"absent@x/", L"keep1@fav.example/"}));
  WriteBytes(InData(L"CFL458391"), std::string(3000, 'z'));
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
  EXPECT_TRUE(ran(L"/BSWGETFAVLIST"));
  std::string files;
  for (const std::wstring& f : {favs[1].local_file, favs[0].local_file})
    AppendNameListEntry(std::u16string(f.begin(), f.end()), &files);
  EXPECT_EQ(ReadBytes(InData(L"CFL458391")), files);
  // Under /EPM the job keeps to its own two names in the Low data folder.
  const std::wstring low = ProductDataFolder(true);
  ::CreateDirectoryW(low.c_str(), nullptr);
  ASSERT_TRUE(agentctl::WriteNameListFile(low + L"\\CFL573184", {L"keep2@fav.example/", L"keep1@fav.example/"}));
  EXPECT_TRUE(ran(L"/BSWGETFAVLIST /EPM"));
  EXPECT_EQ(ReadBytes(low + L"\\CFL573183"), files);
  for (const wchar_t* name : {L"\\CFL573183", L"\\CFL573184"}) ::DeleteFileW((low + name).c_str());
  const std::string before = state();
  {  // the browser may hold a cookie file open while the save reads it
    UniqueFile held(::CreateFileW(favs[0].local_file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(held && ran(L"/BSWSAVECOOKIES"));
  }
  ASSERT_TRUE(::DeleteFileW(InData(L"LowFavCookies1").c_str()));
  EXPECT_TRUE(ran(L"/BSWCLEARCOOKIES21-0-0"));
  ASSERT_EQ(state(), "");
  EXPECT_TRUE(ran(L"/BSWRESTORECOOKIES"));
  EXPECT_EQ(state(), before);
  for (const agentctl::SeededEntry& f : favs) EXPECT_NE(before.find(test::Narrow(f.local_file)), std::string::npos);
  EXPECT_FALSE(lookup.GetEntryInfo(other.key.c_str()));
  EXPECT_FALSE(Exists(InData(L"SavedLowFavCookies1")) || Exists(Outside(L"BSWFavCookiesTmp")));
}

}  // namespace
}  // namespace bpriv
