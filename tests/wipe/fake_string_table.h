// A string table for tests: the entries it is given.
#pragma once

#include <map>
#include <string>

#include "wipe/string_table.h"

namespace bpriv {

struct CFakeStringTable : CStringTable {
  std::map<uint32_t, std::wstring> entries;
  CStringTable* saved = GetStringTable();
  CFakeStringTable() { SetStringTable(this); }
  ~CFakeStringTable() { SetStringTable(saved); }
  bool Load(uint32_t id, std::wstring* text) override {
    const auto it = entries.find(id);
    return it != entries.end() && (*text = it->second, true);
  }
};

}  // namespace bpriv
