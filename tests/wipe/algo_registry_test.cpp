#include "wipe/algo_registry.h"

#include <gtest/gtest.h>

#include "fake_string_table.h"
#include "wipe/wipe_algo.h"

namespace bpriv {
namespace {

// The process-wide registry, filled from a string table that names every
// algorithm as the executable's own table does (by its key).
TEST(RegisterBuiltinAlgos, AllFiveInIndexOrderOnce) {
  CWipeAlgo* const order[] = {&g_zeroAlgo, &g_randomAlgo, &g_dod3Algo, &g_dod7Algo, &g_gutmannAlgo};
  const uint32_t name_ids[] = {kIdsZeroName, kIdsRandomName, kIdsDod3Name, kIdsDod7Name, kIdsGutmannName};
  CFakeStringTable strings;
  for (int i = 0; i < 5; ++i) strings.entries[name_ids[i]] = order[i]->GetKey();
  CStringTable* saved = GetStringTable();
  SetStringTable(&strings);
  RegisterBuiltinAlgos();
  RegisterBuiltinAlgos();  // a second call adds nothing
  ASSERT_EQ(GetAlgoCount(), 5u);
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(GetAlgo(i), order[i]) << i;
  EXPECT_EQ(FindAlgoByName(L"dod 5200.28-std (7)"), &g_dod7Algo);
  SetStringTable(saved);
}

TEST(WipeAlgo, DescriptionComesFromItsOwnEntry) {
  CFakeStringTable strings;
  strings.entries[kIdsDod3Description] = L"three passes";
  strings.entries[kIdsDod3Name] = L"name";
  CStringTable* saved = GetStringTable();
  SetStringTable(&strings);
  CDOD3Algo dod3;
  CZeroAlgo zero;
  EXPECT_EQ(dod3.GetDescription(), L"three passes");
  EXPECT_EQ(zero.GetDescription(), L"");
  SetStringTable(saved);
}

}  // namespace
}  // namespace bpriv
