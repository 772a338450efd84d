// A string table for tests: the entries it is given, and a count of lookups.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "wipe/string_table.h"

namespace bpriv {

class CFakeStringTable : public CStringTable {
 public:
  std::map<uint32_t, std::wstring> entries;
  int lookups = 0;
  bool Load(uint32_t id, std::wstring* text) override {
    ++lookups;
    auto it = entries.find(id);
    if (it == entries.end()) return false;
    *text = it->second;
    return true;
  }
};

// The algorithm names and descriptions as the product's string table has them.
inline void AddAlgoStrings(CFakeStringTable* table) {
  table->entries[117] = L"Zeroes";
  table->entries[118] = L"Filling with zeroes through one pass. Fast.";
  table->entries[119] = L"Pseudo-random";
  table->entries[125] = L"Filling with pseudo-random numbers through one pass. Fast.";
  table->entries[126] = L"DoD 5220.22-M (3)";
  table->entries[127] = L"DoD 5220.22-M (3). Fills with a special number pattern.";
  table->entries[159] = L"DoD 5200.28-STD (7)";
  table->entries[160] = L"DoD 5200.28-STD (7). Fills with a special number pattern.";
  table->entries[161] = L"Peter Gutmann (35)";
  table->entries[162] = L"Peter Gutmann (35). Fills with a special number pattern.";
}

}  // namespace bpriv
