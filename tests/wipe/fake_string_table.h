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
    const auto it = entries.find(id);
    if (it == entries.end()) return false;
    *text = it->second;
    return true;
  }
};

}  // namespace bpriv
