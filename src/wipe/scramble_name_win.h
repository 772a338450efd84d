// Name scrambling with the generator, the tick count and renames through the
// file's checked handle.
#pragma once

#include <cstdint>
#include <string>

#include "safe/safe_file.h"

namespace bpriv {

// A random file name (no folder) for the sequence number, filled up to
// `target_length` characters; six draws from the process generator.
std::wstring MakeRandomName(uint32_t sequence, int32_t target_length);

// Moves the open file through up to `count` random names inside its folder;
// `final_path` receives the name it ends under. Returns 1.
int ScrambleName(CSafeFile& file, std::wstring* final_path, int32_t count);

// 26 random names, then the delete, all through the handle; a file that
// cannot be deleted gets its first name back. True when it is gone.
bool ScrambleAndDelete(CSafeFile& file);

}  // namespace bpriv
