// The favourite-cookie list: unit checks against the fake cache, and the real
// agent against a cache that agentctl seeds.
#include "clean/fav_list.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../../tools/agentctl/seed.h"
#include "cache/cache_subject.h"
#include "cache/fake_url_cache.h"
#include "data/name_list.h"
#include "support/run_process.h"

namespace bpriv {
namespace {

using test::ReadBytes;

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

std::string NameListBytes(const std::vector<std::wstring>& names) {
  std::string bytes;
  for (const std::wstring& n : names)
    AppendNameListEntry(std::u16string(reinterpret_cast<const char16_t*>(n.data()), n.size()), &bytes);
  return bytes;
}

// "cookie NAME "FILE"" lines of agentctl seed, by name.
std::map<std::wstring, std::wstring> SeedCookies(const std::wstring& args) {
  test::ProcessResult r = test::RunAgentctl(L"seed --clear " + args);
  EXPECT_EQ(r.exit_code, 0u) << r.output;
  std::map<std::wstring, std::wstring> files;
  std::istringstream lines(r.output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("cookie ", 0) != 0) continue;
    const size_t quote = line.find(" \"");
    const size_t end = line.rfind('"');
    files[std::wstring(line.begin() + 7, line.begin() + quote)] =
        std::wstring(line.begin() + quote + 2, line.begin() + end);
  }
  return files;
}

TEST(GetFavList, NothingWithoutTheKnownFolderFunction) {
  test::FakeUrlCache cache;
  const std::wstring folder = ProductDataFolder(false);
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(agentctl::WriteNameListFile(folder + L"\\CFL458392", {L"a@x/"}));
  test::FakeEntry e;
  e.key = L"Cookie:a@x/";
  e.local_file = L"C:\\c\\a.txt";
  cache.Add(e);
  ::DeleteFileW((folder + L"\\CFL458391").c_str());
  EXPECT_EQ(GetFavList(false, cache, nullptr), 0);
  EXPECT_EQ(cache.calls, 0);
  EXPECT_EQ(::GetFileAttributesW((folder + L"\\CFL458391").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFavList(false, cache), 0);
  EXPECT_EQ(ReadBytes(folder + L"\\CFL458391"), NameListBytes({L"C:\\c\\a.txt"}));
}

TEST(GetFavList, EntriesWithoutOrWithEmptyFileAreLeftOut) {
  test::FakeUrlCache cache;
  const std::wstring folder = ProductDataFolder(false);
  ASSERT_TRUE(agentctl::WriteNameListFile(folder + L"\\CFL458392", {L"none@x/", L"empty@x/", L"big@x/"}));
  test::FakeEntry e;
  e.key = L"Cookie:none@x/";
  cache.Add(e);
  e.key = L"Cookie:empty@x/";
  e.local_file = L"";
  cache.Add(e);
  e.key = L"Cookie:big@x/";
  e.local_file = L"C:\\c\\big.txt";
  e.extra_bytes = 10000;
  cache.Add(e);
  EXPECT_EQ(GetFavList(false, cache), 0);
  EXPECT_EQ(ReadBytes(folder + L"\\CFL458391"), NameListBytes({L"C:\\c\\big.txt"}));
  EXPECT_EQ(cache.oversized_claims + cache.dirty_buffers, 0);
}

// The real agent, the real cache: names in, files out, in input order.
TEST(GetFavListEndToEnd, ResolvesFavouritesWithAndWithoutEpm) {
  const std::map<std::wstring, std::wstring> files =
      SeedCookies(L"--cookie one@fav.example/ --cookie two@fav.example/ --cookie three@fav.example/");
  ASSERT_EQ(files.size(), 3u);
  const std::wstring bom(1, L'\xFEFF');
  for (bool epm : {false, true}) {
    const std::wstring folder = ProductDataFolder(epm);
    const std::wstring input = folder + (epm ? L"\\CFL573184" : L"\\CFL458392");
    const std::wstring output = folder + (epm ? L"\\CFL573183" : L"\\CFL458391");
    const std::wstring other_output = ProductDataFolder(!epm) + (epm ? L"\\CFL458391" : L"\\CFL573183");
    // An older, longer output file: the new content must end it.
    ASSERT_TRUE(agentctl::WriteNameListFile(output, std::vector<std::wstring>(20, std::wstring(100, L'z'))));
    ::DeleteFileW(other_output.c_str());
    ASSERT_TRUE(agentctl::WriteNameListFile(
        input, {L"three@fav.example/", L"absent@fav.example/", L"", bom + L"two@fav.example/", L"one@fav.example/",
                L"three@fav.example/"}));

    test::ProcessResult r = test::RunAgentctl(std::wstring(L"run /BSWGETFAVLIST") + (epm ? L" /EPM" : L""));
    EXPECT_EQ(r.output, "exit 0\r\n");
    EXPECT_EQ(ReadBytes(output), NameListBytes({files.at(L"three@fav.example/"), files.at(L"one@fav.example/"),
                                                files.at(L"three@fav.example/")}))
        << "epm " << epm;
    EXPECT_EQ(ReadBytes(other_output), "<missing>") << "epm " << epm;
    EXPECT_EQ(ReadBytes(input).size(), NameListBytes({L"three@fav.example/", L"absent@fav.example/", L"",
                                                      bom + L"two@fav.example/", L"one@fav.example/",
                                                      L"three@fav.example/"}).size())
        << "the input stays";
  }
  test::ResetRealCache();
}

TEST(GetFavListEndToEnd, NoFavouriteCachedLeavesTheOldOutput) {
  SeedCookies(L"--cookie other@fav.example/");
  const std::wstring folder = ProductDataFolder(false);
  ASSERT_TRUE(agentctl::WriteNameListFile(folder + L"\\CFL458391", {L"old"}));
  ASSERT_TRUE(agentctl::WriteNameListFile(folder + L"\\CFL458392", {L"gone@fav.example/", L""}));
  test::ProcessResult r = test::RunAgentctl(L"run /BSWGETFAVLIST");
  EXPECT_EQ(r.output, "exit 0\r\n");
  EXPECT_EQ(ReadBytes(folder + L"\\CFL458391"), NameListBytes({L"old"}));
  test::ResetRealCache();
}

}  // namespace
}  // namespace bpriv
