#include "wipe/wipe_algo.h"

#include <cstring>

#include "wipe/random.h"
#include "wipe/string_table.h"

namespace bpriv {

CZeroAlgo g_zeroAlgo;
CRandomAlgo g_randomAlgo;
CDOD3Algo g_dod3Algo;
CDOD7Algo g_dod7Algo;
CPeterGutmannAlgo g_gutmannAlgo;

namespace {

CStringTable* g_strings = nullptr;

// What one pass writes: pseudo-random data, or one byte per buffer-full,
// cycling through `bytes` by chunk number (all three equal for a plain fill).
struct PassPattern {
  bool random;
  uint8_t bytes[3];
};

constexpr PassPattern kRandom = {true, {0, 0, 0}};
constexpr PassPattern Byte(uint8_t b) { return {false, {b, b, b}}; }
constexpr PassPattern Cycle(uint8_t b0, uint8_t b1, uint8_t b2) { return {false, {b0, b1, b2}}; }

constexpr PassPattern kDod3[] = {Byte(0x00), Byte(0xFF), kRandom};

constexpr PassPattern kDod7[] = {Byte(0x35), Byte(0xCA), Byte(0x97), Byte(0x68),
                                 Byte(0xAC), Byte(0x53), kRandom};

// Three-byte patterns are not repeated inside a buffer: consecutive chunks of
// the file cycle through the three bytes instead.
constexpr PassPattern kGutmann[] = {
    kRandom, kRandom, kRandom, kRandom,
    Byte(0x55), Byte(0xAA),
    Cycle(0x92, 0x49, 0x24), Cycle(0x49, 0x24, 0x92), Cycle(0x24, 0x92, 0x49),
    Byte(0x00), Byte(0x11), Byte(0x22), Byte(0x33), Byte(0x44), Byte(0x55),
    Byte(0x66), Byte(0x77), Byte(0x88), Byte(0x99), Byte(0xAA), Byte(0xBB),
    Byte(0xCC), Byte(0xDD), Byte(0xEE), Byte(0xFF),
    Cycle(0x92, 0x49, 0x24), Cycle(0x49, 0x24, 0x92), Cycle(0x24, 0x92, 0x49),
    Cycle(0x6D, 0xB6, 0xDB), Cycle(0xB6, 0xDB, 0x6D), Cycle(0xDB, 0x6D, 0xB6),
    kRandom, kRandom, kRandom, kRandom,
};
static_assert(sizeof(kGutmann) / sizeof(kGutmann[0]) == 35, "Gutmann has 35 passes");

int Fill(const PassPattern& pattern, void* buffer, uint32_t length, uint32_t chunk) {
  // A null pointer is the only unusable buffer we can detect soundly; probing
  // memory for writability breaks guard pages and races other threads.
  if (buffer == nullptr && length != 0) return 0;
  if (length == 0) return 1;
  if (pattern.random) return FillRandom(buffer, length);
  std::memset(buffer, pattern.bytes[chunk % 3], length);
  return 1;
}

template <size_t N>
int FillFromTable(const PassPattern (&table)[N], uint32_t pass, void* buffer,
                  uint32_t length, uint32_t chunk) {
  if (pass >= N) return 0;
  return Fill(table[pass], buffer, length, chunk);
}

bool LoadCached(uint32_t id, std::wstring* cache) {
  if (!cache->empty()) return true;
  std::wstring text;
  if (g_strings == nullptr || !g_strings->Load(id, &text)) return false;
  *cache = text;
  return true;
}

}  // namespace

void SetStringTable(CStringTable* table) { g_strings = table; }
CStringTable* GetStringTable() { return g_strings; }

std::wstring CWipeAlgo::GetName() {
  LoadCached(name_id_, &name_);
  return name_;
}

std::wstring CWipeAlgo::GetDescription() {
  LoadCached(description_id_, &description_);
  return description_;
}

int CZeroAlgo::FillPass(uint32_t, void* buffer, uint32_t length, uint32_t chunk) {
  return Fill(Byte(0x00), buffer, length, chunk);
}

int CRandomAlgo::FillPass(uint32_t, void* buffer, uint32_t length, uint32_t chunk) {
  return Fill(kRandom, buffer, length, chunk);
}

int CDOD3Algo::FillPass(uint32_t pass, void* buffer, uint32_t length, uint32_t chunk) {
  return FillFromTable(kDod3, pass, buffer, length, chunk);
}

int CDOD7Algo::FillPass(uint32_t pass, void* buffer, uint32_t length, uint32_t chunk) {
  return FillFromTable(kDod7, pass, buffer, length, chunk);
}

int CPeterGutmannAlgo::FillPass(uint32_t pass, void* buffer, uint32_t length, uint32_t chunk) {
  return FillFromTable(kGutmann, pass, buffer, length, chunk);
}

}  // namespace bpriv
