#include "wipe/wipe_algo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fake_string_table.h"
#include "wipe/algo_registry.h"
#include "wipe/random.h"

namespace bpriv {
namespace {

CWipeAlgo* const kAll[] = {&g_zeroAlgo, &g_randomAlgo, &g_dod3Algo, &g_dod7Algo, &g_gutmannAlgo};

// What the generator yields from `state`: a little-endian word per whole 4
// bytes, then the low byte of one draw per remaining byte.
std::vector<uint8_t> ReferenceRandom(uint32_t state, size_t length) {
  std::vector<uint8_t> out(length);
  for (size_t i = 0; i < length; ++i) {
    const bool whole_word = i < length / 4 * 4;
    if (!whole_word || i % 4 == 0) state = state * 214013u + 2531011u;
    out[i] = static_cast<uint8_t>(state >> (whole_word ? 8 * (i % 4) : 0));
  }
  return out;
}

// The byte a pass filled a buffer with, or -1 when the bytes differ (random).
int FilledByte(CWipeAlgo* algo, uint32_t pass, uint32_t chunk = 0) {
  uint8_t buf[64];
  std::memset(buf, 0x3C, sizeof buf);
  EXPECT_EQ(algo->FillPass(pass, buf, sizeof buf, chunk), 1) << algo->GetPassCount() << " " << pass;
  for (uint8_t b : buf) {
    if (b != buf[0]) return -1;
  }
  return buf[0];
}

TEST(WipeAlgo, FillsExactlyThePassesItHas) {
  for (CWipeAlgo* algo : kAll) {
    const uint32_t passes = algo->GetPassCount();
    for (uint32_t pass = 0; pass < passes; ++pass) {
      EXPECT_EQ(algo->FillPass(pass, nullptr, 0, 0), 1);   // nothing to fill
      EXPECT_EQ(algo->FillPass(pass, nullptr, 16, 0), 0);  // no buffer
    }
    // Zeroes and pseudo-random fill whatever pass they are asked for; the
    // others leave the buffer as it was for a pass they do not have.
    const bool any_pass = algo == &g_zeroAlgo || algo == &g_randomAlgo;
    std::vector<uint8_t> buf = {1, 2, 3, 4, 5, 6, 7, 8}, want = buf;
    if (algo == &g_zeroAlgo) want.assign(8, 0);
    if (algo == &g_randomAlgo) want = ReferenceRandom(42, 8);
    SetRandomStateForTest(42);
    EXPECT_EQ(algo->FillPass(passes, buf.data(), 8, 0), any_pass ? 1 : 0) << passes;
    EXPECT_EQ(buf, want) << passes;
  }
  EXPECT_EQ(FilledByte(&g_zeroAlgo, 3), 0x00);
}

TEST(WipeAlgo, Patterns) {
  EXPECT_EQ(FilledByte(&g_dod3Algo, 0), 0x00);
  EXPECT_EQ(FilledByte(&g_dod3Algo, 1), 0xFF);
  EXPECT_EQ(FilledByte(&g_dod7Algo, 0), 0x35);
  EXPECT_EQ(FilledByte(&g_dod7Algo, 2), 0x97);
  EXPECT_EQ(FilledByte(&g_dod7Algo, 4), 0xAC);
  for (uint32_t pass : {1u, 3u, 5u}) {  // each odd pass complements the one before
    EXPECT_EQ(FilledByte(&g_dod7Algo, pass), 0xFF ^ FilledByte(&g_dod7Algo, pass - 1));
  }
  EXPECT_EQ(FilledByte(&g_gutmannAlgo, 4), 0x55);
  EXPECT_EQ(FilledByte(&g_gutmannAlgo, 5), 0xAA);
  for (uint32_t pass = 9; pass <= 24; ++pass) {  // 0x00, 0x11, ..., 0xFF
    EXPECT_EQ(FilledByte(&g_gutmannAlgo, pass), static_cast<int>(0x11 * (pass - 9))) << pass;
  }
  const int pass6[] = {0x92, 0x49, 0x24, 0x92}, pass28[] = {0x6D, 0xB6, 0xDB};
  for (uint32_t chunk = 0; chunk < 4; ++chunk) EXPECT_EQ(FilledByte(&g_gutmannAlgo, 6, chunk), pass6[chunk]);
  for (uint32_t chunk = 0; chunk < 3; ++chunk) EXPECT_EQ(FilledByte(&g_gutmannAlgo, 28, chunk), pass28[chunk]);
  // 7, 8 and 29, 30 start one and two bytes further into their cycle; 25..27 repeat 6..8.
  for (uint32_t chunk = 0; chunk < 3; ++chunk) {
    for (uint32_t k = 0; k < 3; ++k) {
      EXPECT_EQ(FilledByte(&g_gutmannAlgo, 6 + k, chunk), FilledByte(&g_gutmannAlgo, 6, chunk + k));
      EXPECT_EQ(FilledByte(&g_gutmannAlgo, 25 + k, chunk), FilledByte(&g_gutmannAlgo, 6 + k, chunk));
      EXPECT_EQ(FilledByte(&g_gutmannAlgo, 28 + k, chunk), FilledByte(&g_gutmannAlgo, 28, chunk + k));
    }
  }
}

TEST(WipeAlgo, RandomPassesContinueTheGenerator) {
  const std::pair<CWipeAlgo*, std::vector<uint32_t>> cases[] = {
      {&g_randomAlgo, {0, 5}}, {&g_dod3Algo, {2}}, {&g_dod7Algo, {6}},
      {&g_gutmannAlgo, {0, 1, 2, 3, 31, 32, 33, 34}}};
  for (const auto& [algo, random_passes] : cases) {
    for (uint32_t pass : random_passes) {
      std::vector<uint8_t> got(1003);
      SetRandomStateForTest(42);
      EXPECT_EQ(algo->FillPass(pass, got.data(), 1003, 7), 1);
      EXPECT_EQ(got, ReferenceRandom(42, 1003)) << algo->GetPassCount() << " pass " << pass;
    }
  }
  int random_passes = 0;  // and no other Gutmann pass draws
  for (uint32_t pass = 0; pass < 35; ++pass) random_passes += FilledByte(&g_gutmannAlgo, pass) < 0;
  EXPECT_EQ(random_passes, 8);
}

TEST(AlgoRegistry, GrowthNamesAndLookup) {
  const uint32_t capacities[][2] = {{0, 1}, {1, 2}, {268435455u, 536870910u}, {268435456u, 0}};
  for (const auto& c : capacities) {
    uint32_t grown = 0;
    EXPECT_EQ(GrowAlgoCapacity(c[0], &grown), c[1] != 0) << c[0];
    EXPECT_EQ(grown, c[1]);
  }
  CFakeStringTable strings;
  CStringTable* saved = GetStringTable();
  SetStringTable(&strings);
  CPeterGutmannAlgo gutmann;
  EXPECT_EQ(gutmann.GetName(), L"");  // missing: empty, and looked up again
  strings.entries[161] = L"Peter Gutmann (35)";
  EXPECT_EQ(gutmann.GetName(), L"Peter Gutmann (35)");
  const int lookups = strings.lookups;
  EXPECT_EQ(gutmann.GetName(), L"Peter Gutmann (35)");
  EXPECT_EQ(strings.lookups, lookups);  // cached once loaded

  CAlgoRegistry registry;
  CZeroAlgo zero;
  strings.entries[117] = L"PETER gutmann (35)";
  EXPECT_EQ(registry.Register(&gutmann), 1);
  EXPECT_EQ(registry.Register(&zero), 0);  // same name but for case
  EXPECT_EQ(registry.FindByName(L"peter GUTMANN (35)"), &gutmann);
  EXPECT_EQ(registry.FindByName(L"Peter Gutmann"), nullptr);
  EXPECT_EQ(registry.FindByName(L"peter GUTMANN (36)"), nullptr);
  EXPECT_EQ(registry.Get(1), nullptr);
  EXPECT_EQ(registry.Get(-1), nullptr);
  EXPECT_EQ(registry.Get(0), &gutmann);
  SetStringTable(saved);
}

}  // namespace
}  // namespace bpriv
