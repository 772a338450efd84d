#include "wipe/random.h"

#include "wipe/random_lanes.h"

namespace bpriv {

namespace {

// One drawing thread per process (the cleaning worker or the main thread):
// no lock, as the rest of the wipe engine assumes.
uint32_t g_state = 0;
bool g_seeded = false;
SeedInputsReader g_reader = nullptr;

}  // namespace

void SetSeedInputsReader(SeedInputsReader reader) { g_reader = reader; }
SeedInputsReader GetSeedInputsReader() { return g_reader; }

void SeedRandom() {
  const SeedInputs in = g_reader ? g_reader() : SeedInputs{};
  uint32_t state = in.tick;
  state += in.thread_id;
  state += in.process_id;
  state += static_cast<uint32_t>(in.cursor_y);
  state += static_cast<uint32_t>(in.cursor_x);
  for (uint32_t i = 0; i < in.tick % 256; ++i) state = LcgStep(state);
  g_state = state;
  g_seeded = true;
}

uint32_t GetRandom() {
  if (!g_seeded) SeedRandom();
  g_state = LcgStep(g_state);
  return g_state;
}

int FillRandom(void* buffer, uint32_t length) {
  if (length == 0) return 1;
  if (!g_seeded) SeedRandom();
  uint8_t* bytes = static_cast<uint8_t*>(buffer);
  const uint32_t words = length / 4;
  g_state = FillWords(BestLanePath(), g_state, bytes, words);
  for (uint32_t i = words * 4; i < length; ++i) {
    bytes[i] = static_cast<uint8_t>(GetRandom());
  }
  return 1;
}

void ResetRandomForTest() {
  g_seeded = false;
  g_state = 0;
}

void SetRandomStateForTest(uint32_t state) {
  g_state = state;
  g_seeded = true;
}

}  // namespace bpriv
