#include "wipe/wipe_algo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "wipe/algo_registry.h"
#include "wipe/random.h"
#include "fake_string_table.h"

namespace bpriv {

namespace {

CWipeAlgo* const kAll[] = {&g_zeroAlgo, &g_randomAlgo, &g_dod3Algo, &g_dod7Algo, &g_gutmannAlgo};

// What a pass wrote into a small buffer: the byte it filled with, or -1 when
// the bytes are not all equal (a random pass).
int FilledByte(CWipeAlgo* algo, uint32_t pass, uint32_t chunk) {
  uint8_t buf[64];
  std::memset(buf, 0x3C, sizeof buf);
  EXPECT_EQ(algo->FillPass(pass, buf, sizeof buf, chunk), 1) << algo->GetPassCount() << " " << pass;
  for (uint8_t b : buf) {
    if (b != buf[0]) return -1;
  }
  return buf[0];
}

TEST(WipeAlgo, PassesBeyondTheCountFillNothing) {
  for (CWipeAlgo* algo : kAll) {
    const uint32_t passes = algo->GetPassCount();
    // Every pass that exists fills, even zero bytes of a null buffer.
    for (uint32_t pass = 0; pass < passes; ++pass) {
      uint8_t one = 0x3C;
      EXPECT_EQ(algo->FillPass(pass, &one, 1, 0), 1) << algo->GetPassCount() << " " << pass;
      EXPECT_EQ(algo->FillPass(pass, nullptr, 0, 0), 1);
      EXPECT_EQ(algo->FillPass(pass, nullptr, 16, 0), 0);
    }
    uint8_t buf[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const int expected = (algo == &g_zeroAlgo || algo == &g_randomAlgo) ? 1 : 0;
    EXPECT_EQ(algo->FillPass(passes, buf, sizeof buf, 0), expected) << passes;
    if (expected == 0) {
      const uint8_t untouched[8] = {1, 2, 3, 4, 5, 6, 7, 8};
      EXPECT_EQ(std::memcmp(buf, untouched, sizeof buf), 0);
    }
  }
  EXPECT_EQ(FilledByte(&g_zeroAlgo, 3, 0), 0x00);
}

TEST(WipeAlgo, FixedPatternsFollowTheirSchemes) {
  EXPECT_EQ(FilledByte(&g_dod3Algo, 0, 0), 0x00);
  EXPECT_EQ(FilledByte(&g_dod3Algo, 1, 0), 0xFF);
  EXPECT_EQ(FilledByte(&g_dod7Algo, 0, 0), 0x35);
  for (uint32_t pass = 1; pass < 6; pass += 2) {
    // Each odd pass writes the complement of the pass before it.
    EXPECT_EQ(FilledByte(&g_dod7Algo, pass, 0), 0xFF ^ FilledByte(&g_dod7Algo, pass - 1, 0));
  }
  EXPECT_EQ(FilledByte(&g_dod7Algo, 2, 0), 0x97);
  EXPECT_EQ(FilledByte(&g_dod7Algo, 4, 0), 0xAC);
  // Gutmann 9..24 runs 0x00, 0x11, ..., 0xFF.
  for (uint32_t pass = 9; pass <= 24; ++pass) {
    EXPECT_EQ(FilledByte(&g_gutmannAlgo, pass, 0), static_cast<int>(0x11 * (pass - 9))) << pass;
  }
  EXPECT_EQ(FilledByte(&g_gutmannAlgo, 4, 0), 0x55);
  EXPECT_EQ(FilledByte(&g_gutmannAlgo, 5, 0), 0xAA);
}

TEST(WipeAlgo, GutmannThreeBytePassesCycleByChunk) {
  const int pass6[] = {0x92, 0x49, 0x24, 0x92};
  for (uint32_t chunk = 0; chunk < 4; ++chunk) {
    EXPECT_EQ(FilledByte(&g_gutmannAlgo, 6, chunk), pass6[chunk]) << chunk;
  }
  // Passes 7 and 8 start one and two bytes further into the same cycle, and
  // 25..27 repeat 6..8; 28..30 rotate 0x6D 0xB6 0xDB the same way.
  for (uint32_t chunk = 0; chunk < 6; ++chunk) {
    for (uint32_t k = 0; k < 3; ++k) {
      EXPECT_EQ(FilledByte(&g_gutmannAlgo, 6 + k, chunk), FilledByte(&g_gutmannAlgo, 6, chunk + k));
      EXPECT_EQ(FilledByte(&g_gutmannAlgo, 25 + k, chunk), FilledByte(&g_gutmannAlgo, 6 + k, chunk));
      EXPECT_EQ(FilledByte(&g_gutmannAlgo, 28 + k, chunk), FilledByte(&g_gutmannAlgo, 28, chunk + k));
    }
  }
  const int pass28[] = {0x6D, 0xB6, 0xDB};
  for (uint32_t chunk = 0; chunk < 3; ++chunk) {
    EXPECT_EQ(FilledByte(&g_gutmannAlgo, 28, chunk), pass28[chunk]);
  }
}

TEST(WipeAlgo, RandomPassesContinueTheGeneratorSequence) {
  struct Case {
    CWipeAlgo* algo;
    std::vector<uint32_t> random_passes;
  };
  const Case cases[] = {
      {&g_randomAlgo, {0, 5}},
      {&g_dod3Algo, {2}},
      {&g_dod7Algo, {6}},
      {&g_gutmannAlgo, {0, 1, 2, 3, 31, 32, 33, 34}},
  };
  for (const Case& c : cases) {
    for (uint32_t pass : c.random_passes) {
      std::vector<uint8_t> expected(1003), got(1003);
      SetRandomStateForTest(42);
      FillRandom(expected.data(), 1003);
      SetRandomStateForTest(42);
      EXPECT_EQ(c.algo->FillPass(pass, got.data(), 1003, 7), 1);
      EXPECT_EQ(expected, got) << c.algo->GetPassCount() << " pass " << pass;
    }
  }
  // And no other Gutmann pass draws.
  int random_passes = 0;
  for (uint32_t pass = 0; pass < 35; ++pass) random_passes += FilledByte(&g_gutmannAlgo, pass, 0) < 0;
  EXPECT_EQ(random_passes, 8);
}

TEST(AlgoRegistry, CapacityGrowthRule) {
  struct Case {
    uint32_t capacity;
    bool grows;
    uint32_t grown;
  };
  const Case cases[] = {
      {0, true, 1}, {1, true, 2}, {4, true, 8},
      {268435455u, true, 536870910u}, {268435456u, false, 0}, {0x80000000u, false, 0},
  };
  for (const Case& c : cases) {
    uint32_t grown = 0;
    EXPECT_EQ(GrowAlgoCapacity(c.capacity, &grown), c.grows) << c.capacity;
    if (c.grows) {
      EXPECT_EQ(grown, c.grown);
    }
  }
}

TEST(AlgoRegistry, NamesLoadLazilyAndRefuseDuplicates) {
  CFakeStringTable strings;
  CStringTable* saved = GetStringTable();
  SetStringTable(&strings);
  CPeterGutmannAlgo unnamed;
  // A missing entry yields an empty name and is looked up again next time.
  EXPECT_EQ(unnamed.GetName(), L"");
  strings.entries[161] = L"Peter Gutmann (35)";
  EXPECT_EQ(unnamed.GetName(), L"Peter Gutmann (35)");
  const int lookups = strings.lookups;
  EXPECT_EQ(unnamed.GetName(), L"Peter Gutmann (35)");
  EXPECT_EQ(strings.lookups, lookups);
  EXPECT_STREQ(unnamed.GetKey(), L"Peter Gutmann (35)");

  CAlgoRegistry registry;
  CZeroAlgo zero;
  strings.entries[117] = L"PETER gutmann (35)";
  EXPECT_EQ(registry.Register(&unnamed), 1);
  EXPECT_EQ(registry.Register(&zero), 0);  // same name, other case
  EXPECT_EQ(registry.Count(), 1u);
  SetStringTable(saved);
}

TEST(AlgoRegistry, BuiltinAlgosByIndexAndName) {
  CFakeStringTable strings;
  AddAlgoStrings(&strings);
  CStringTable* saved = GetStringTable();
  SetStringTable(&strings);
  RegisterBuiltinAlgos();
  RegisterBuiltinAlgos();
  for (CWipeAlgo* algo : kAll) EXPECT_EQ(RegisterAlgo(algo), 0);
  ASSERT_EQ(GetAlgoCount(), 5u);
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(GetAlgo(i), kAll[i]);
  EXPECT_EQ(GetAlgo(5), nullptr);
  EXPECT_EQ(GetAlgo(-1), nullptr);
  EXPECT_EQ(FindAlgoByName(L"zeroes"), &g_zeroAlgo);
  EXPECT_EQ(FindAlgoByName(L"dod 5200.28-std (7)"), &g_dod7Algo);
  EXPECT_EQ(FindAlgoByName(L"Zeroes "), nullptr);
  EXPECT_EQ(g_randomAlgo.GetDescription(), strings.entries[125]);
  SetStringTable(saved);
}

}  // namespace

}  // namespace bpriv
