#include <gtest/gtest.h>

#include "wipe/algo_registry.h"
#include "wipe/wipe_algo.h"

namespace bpriv {
namespace {

// The executable's own string table names the algorithms as their keys do.
TEST(InitWipeAlgos, RegistersTheFiveUnderTheirResourceNames) {
  EXPECT_EQ(InitWipeAlgos(), 1);
  EXPECT_EQ(InitWipeAlgos(), 1);
  ASSERT_EQ(GetAlgoCount(), 5u);
  for (int32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(GetAlgo(i)->GetName(), GetAlgo(i)->GetKey()) << i;
    EXPECT_FALSE(GetAlgo(i)->GetDescription().empty()) << i;
  }
  EXPECT_EQ(GetAlgo(4), &g_gutmannAlgo);
  EXPECT_EQ(GetAlgo(5), nullptr);
  EXPECT_EQ(GetAlgo(-1), nullptr);
  EXPECT_EQ(FindAlgoByName(L"zeroes"), &g_zeroAlgo);
  EXPECT_NE(g_randomAlgo.GetDescription().find(L"\n"), std::wstring::npos);
}

}  // namespace
}  // namespace bpriv
