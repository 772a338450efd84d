// The History folder walk inside the test process, where the test owns the
// window whose handle is the listing number.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cache/history_listing.h"
#include "support/history_tree.h"
#include "support/listing_harness.h"

namespace bpriv {
namespace {

using Texts = std::vector<std::wstring>;

void FolderBody(HWND window, int32_t number, bool epm) {
  HistorySources sources;
  sources.is_windows_61 = [] { return false; };
  ListHistoryWith(window, number, epm, sources);
}

TEST(HistoryFolderWalk, ControllerWindowGoneEndsEachLevelAfterItsItem) {
  test::ScopedHistoryTree tree({L"a1\\", L"a1\\b1\\", L"a1\\b1\\c1.txt", L"a1\\b1\\c2.txt", L"a1\\b2.txt", L"a2.txt"});
  ASSERT_TRUE(tree.ok());
  test::NumberWindow number;
  const std::wstring n = std::to_wstring(number.number());
  test::InProcessListing listing(number.number(), true, FolderBody);
  Texts texts = listing.Follow({}, nullptr, 20000, [&](const std::wstring& text) {
    if (text == L"PRIVILEGE 00 " + n + L" 4 c1.txt") number.Destroy();
  });
  EXPECT_TRUE(listing.WaitReturned(5000));
  EXPECT_EQ(texts, (Texts{
                       L"STARTPRIVILEGES",
                       L"PRIVILEGE 00 " + n + L" 0 a1",
                       L"PRIVILEGE +1",
                       L"PRIVILEGE 00 " + n + L" 2 b1",
                       L"PRIVILEGE +1",
                       L"PRIVILEGE 00 " + n + L" 4 c1.txt",
                       L"PRIVILEGE 01",  // c1.txt done; then no window: level 4 ends
                       L"PRIVILEGE -1 " + n,
                       L"PRIVILEGE 01",  // b1 done; level 2 ends
                       L"PRIVILEGE -1 " + n,
                       L"PRIVILEGE 01",  // a1 done; level 0 ends
                       L"FINISHPRIVILEGES",
                   }));
}

}  // namespace
}  // namespace bpriv
