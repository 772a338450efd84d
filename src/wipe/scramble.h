// Moving a file through random names inside its folder before it is deleted,
// apart from the platform calls it makes.
#pragma once

#include <cstdint>
#include <string>

namespace bpriv {

// The random name for sequence number `sequence`, built from six generator
// draws (in the order drawn) and the tick count; filled up to
// `target_length` characters with "$" ("~" for an odd t) after its fourth.
std::wstring MakeRandomNameFrom(const uint32_t (&draws)[6], uint32_t tick, uint32_t sequence,
                                int32_t target_length);

// The folder part of a path, with its last backslash; a trailing backslash
// (a folder) is dropped first, so a folder is renamed inside its parent.
std::wstring ScramblePrefix(const std::wstring& path);

// True when the path names its object inside a folder that ScramblePrefix
// finds completely: the prefix is not empty and the last name (without the
// trailing backslash of a folder) is neither empty nor "." or "..", and holds
// no "/" or ":". Anything else would send the renames somewhere else (a bare
// "C:\\" or "x.dat" into the current folder, "C:\\a\\b/c" into C:\\a).
bool HasOwnFolder(const std::wstring& path);

// Longest random name for the given prefix length: 255 - prefix, at most
// `cap` (252 at the first attempt, 63 at the second), 0 from 256 on.
int32_t RandomNameLimit(size_t prefix_length, int32_t cap);

constexpr int32_t kFirstNameCap = 252;
constexpr int32_t kSecondNameCap = 63;

// What a scramble needs from the platform.
class CScrambleOps {
 public:
  virtual ~CScrambleOps() = default;
  virtual std::wstring MakeName(uint32_t sequence, int32_t target_length) = 0;
  // 0 on success, else the error code of the failed move.
  virtual uint32_t Move(const std::wstring& from, const std::wstring& to) = 0;
};

constexpr uint32_t kErrorFileNotFound = 2;

// Gives the file up to `count` random names in turn; `final_path` receives
// the name it ends under. A failed move is tried once more with a shorter
// name; "file not found" ends the renaming. A path without HasOwnFolder is
// not renamed at all. Returns 1.
int ScrambleWith(CScrambleOps& ops, const std::wstring& path, std::wstring* final_path,
                 int32_t count);

}  // namespace bpriv
