// The favourite-cookie list: unit checks against the fake cache, and the real
// agent against a cache that agentctl seeds.
#include "clean/fav_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../tools/agentctl/seed.h"
#include "cache/fake_url_cache.h"
#include "data/name_list.h"
#include "support/run_process.h"

namespace bpriv {
namespace {

using test::ReadBytes;

std::string NameListBytes(const std::vector<std::string>& names) {
  std::string bytes;
  for (const std::string& n : names) AppendNameListEntry(std::u16string(n.begin(), n.end()), &bytes);
  return bytes;
}

// Entries without a file or with an empty one are left out; a large entry is
// read without overrunning; no known-folder function, no output at all.
TEST(GetFavList, ResolvesOnlyEntriesWithAFile) {
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
  ::DeleteFileW((folder + L"\\CFL458391").c_str());
  EXPECT_EQ(GetFavList(false, cache, nullptr), 0);
  EXPECT_EQ(cache.calls, 0);
  EXPECT_EQ(ReadBytes(folder + L"\\CFL458391"), "<missing>");
  EXPECT_EQ(GetFavList(false, cache), 0);
  EXPECT_EQ(ReadBytes(folder + L"\\CFL458391"), NameListBytes({"C:\\c\\big.txt"}));
  EXPECT_EQ(cache.oversized_claims + cache.dirty_buffers, 0);
}

// The real agent, the real cache: names in, files out, in input order; an
// older, longer output is cut; none cached leaves the old output.
TEST(GetFavListEndToEnd, ResolvesFavouritesWithAndWithoutEpm) {
  auto made = test::SeedCache(L"--cookie one@fav.example/ --cookie two@fav.example/ --cookie three@fav.example/");
  const std::string one = made["cookie one@fav.example/"], three = made["cookie three@fav.example/"];
  const std::vector<std::wstring> input = {L"three@fav.example/", L"absent@fav.example/", L"",
                                           L"\xFEFFtwo@fav.example/", L"one@fav.example/", L"three@fav.example/"};
  const std::string old = NameListBytes(std::vector<std::string>(20, std::string(100, 'z')));
  for (int run = 0; run < 3; ++run) {
    const bool epm = run == 1, none = run == 2;
    const std::wstring folder = ProductDataFolder(epm);
    const std::wstring output = folder + (epm ? L"\\CFL573183" : L"\\CFL458391");
    const std::wstring other_output = ProductDataFolder(!epm) + (epm ? L"\\CFL458391" : L"\\CFL573183");
    test::WriteBytes(output, old);
    ::DeleteFileW(other_output.c_str());
    ASSERT_TRUE(agentctl::WriteNameListFile(folder + (epm ? L"\\CFL573184" : L"\\CFL458392"),
                                            none ? std::vector<std::wstring>{L"gone@fav.example/", L""} : input));
    EXPECT_EQ(test::RunAgentctl(std::wstring(L"run /BSWGETFAVLIST") + (epm ? L" /EPM" : L"")).output, "exit 0\r\n");
    EXPECT_EQ(ReadBytes(output), none ? old : NameListBytes({three, one, three})) << "run " << run;
    EXPECT_EQ(ReadBytes(other_output), "<missing>") << "run " << run;
  }
  test::ResetRealCache();
}

}  // namespace
}  // namespace bpriv
