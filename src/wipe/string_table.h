// Where the wipe engine's user-visible texts come from. The Windows side reads
// the module's string table; tests install a table of their own.
#pragma once

#include <cstdint>
#include <string>

namespace bpriv {

class CStringTable {
 public:
  virtual ~CStringTable() = default;
  // True and the text when the entry exists (it may be empty); false if not.
  virtual bool Load(uint32_t id, std::wstring* text) = 0;
};

// Process-wide; no table installed means every lookup fails.
void SetStringTable(CStringTable* table);
CStringTable* GetStringTable();

}  // namespace bpriv
