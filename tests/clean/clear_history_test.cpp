#include "clean/clear_history.h"

#include <gtest/gtest.h>

#include "support/fake_url_history.h"

namespace bpriv {
namespace {

// The store is cleared once and released whatever Clear answers; no store, or
// the real one under this system, ends with 0.
TEST(ClearUrlHistory, ClearsStoreOnceAndReleasesIt) {
  for (HRESULT clear_result : {S_OK, E_FAIL}) {
    test::FakeUrlHistory store;
    store.clear_result = clear_result;
    test::CurrentFakeHistory() = &store;
    EXPECT_EQ(ClearUrlHistory(test::CreateFakeHistory), 0);
    EXPECT_EQ(store.clear_calls, 1);
    EXPECT_EQ(store.refs.load(), 1) << "the job must release what it was given";
    test::CurrentFakeHistory() = nullptr;
  }
  EXPECT_EQ(ClearUrlHistory(test::CreateFakeHistory), 0);
  ASSERT_EQ(::CoInitialize(nullptr), S_OK);
  EXPECT_EQ(ClearUrlHistory(), 0);
  ::CoUninitialize();
}

}  // namespace
}  // namespace bpriv
