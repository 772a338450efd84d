// Name scrambling with the generator, the tick count and MoveFileW.
#pragma once

#include <cstdint>
#include <string>

namespace bpriv {

// A random file name (no folder) for the sequence number, filled up to
// `target_length` characters; six draws from the process generator.
std::wstring MakeRandomName(uint32_t sequence, int32_t target_length);

// Moves the file (or, with a trailing backslash, the folder) through up to
// `count` random names inside its folder; `final_path` receives the name it
// ends under. Returns 1. `path` must not be empty.
int ScrambleName(const std::wstring& path, std::wstring* final_path, int32_t count);

}  // namespace bpriv
