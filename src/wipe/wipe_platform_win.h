// Connects the wipe engine's plain code to Windows.
#pragma once

#include <cstdint>
#include <string>

#include "wipe/string_table.h"

namespace bpriv {

// The string table of the executable's resources.
class CResourceStringTable : public CStringTable {
 public:
  bool Load(uint32_t id, std::wstring* text) override;
};

// Installs the resource string table and the platform seed reader wherever
// none is installed yet (tests install their own first).
void InstallWipePlatform();

}  // namespace bpriv
