// The cookie job over the fake cache: the container's retry rule, which the
// real cache cannot be made to exercise.
#include <gtest/gtest.h>

#include "cache/fake_url_cache.h"
#include "clean/clear_cookies.h"

namespace bpriv {
namespace {

int g_pauses = 0;
HRESULT WINAPI NoFolder(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*) { return E_FAIL; }  // no favourites

// Every probe and read up to 21 times, 100 ms apart; "Cookie:" is asked only
// when "cookie:" finds no entry at all; an entry still unreadable after 21
// reads ends the walk.
TEST(ClearCookiesWorker, ContainerRetries) {
  struct { const char* name; bool wine; int entries, busy_calls, reads_before_busy, busy_reads, grow, left, pauses, first_calls; }
      cases[] = {
      {"empty: 21 probes, each under both spellings", false, 0, 0, 0, 0, 0, 0, 20, 42},
      {"Wine: the second spelling is kept", true, 3, 0, 0, 0, 0, 0, 0, 3},
      {"Windows: one spelling", false, 3, 0, 0, 0, 0, 0, 0, 2},
      {"busy 20 times, then all", false, 3, 20, 0, 0, 0, 0, 20, 22},
      {"busy 21 times: nothing", false, 3, 21, 0, 0, 0, 3, 20, 21},
      {"first read busy 20 times", false, 3, 0, 0, 20, 0, 0, 20, 22},
      {"later read busy 20 times", false, 3, 0, 1, 20, 0, 0, 20, 2},
      {"later read busy 21 times ends the walk", false, 3, 0, 1, 21, 0, 2, 20, 2},
      {"entry grows past its block after the probe", false, 3, 0, 0, 0, 20000, 0, 3, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::FakeUrlCache cache;
    cache.wine_matching = c.wine;
    for (int i = 0; i < c.entries; ++i) cache.Add({L"Cookie:c" + std::to_wstring(i) + L"@x/", L"", NORMAL_CACHE_ENTRY, 1});
    cache.busy_calls = c.busy_calls;
    cache.reads_before_busy = c.reads_before_busy;
    cache.busy_reads = c.busy_reads;
    cache.grow_after_probe = DWORD(c.grow);
    // The walk frees its arguments block, closes every find and claims no more than a block holds.
    ProgressRecord record;
    record.job_args = new uint32_t[3]{0, 0, 0};
    g_pauses = 0;
    ClearCookiesBody(record, false, CleanEnv{&cache, {21, 100, [](DWORD) { ++g_pauses; }}, NoFolder});
    EXPECT_TRUE(record.job_args == nullptr && cache.open_finds + cache.oversized_claims == 0);
    EXPECT_EQ(cache.size(), size_t(c.left));
    EXPECT_EQ(g_pauses, c.pauses);
    ASSERT_EQ(static_cast<int>(cache.first_patterns.size()), c.first_calls);
    EXPECT_EQ(cache.first_patterns[0], L"cookie:");
  }
}

}  // namespace
}  // namespace bpriv
