#include "wipe/scramble.h"

#include <cstdio>

namespace bpriv {

namespace {

// Only positions 0, 1, 8 and 9 can be picked: the index is taken AND 9.
constexpr char kAlphabet[] = "{_~-^}=#@zx==";

}  // namespace

std::wstring MakeRandomNameFrom(const uint32_t (&draws)[6], uint32_t tick, uint32_t sequence,
                                int32_t target_length) {
  const uint32_t t = tick + (draws[0] & 0xFFFFu);
  const uint32_t r = draws[1];
  const uint32_t s = draws[2] & 8u;
  const char first = kAlphabet[((draws[3] + t) >> s) & 9u];
  const char second = kAlphabet[((draws[4] + r) >> s) & 9u];
  const uint32_t q = draws[5] & 0xFFFFu;
  const char pair[3] = {first, second, '\0'};
  char text[64];
  const int length = std::snprintf(text, sizeof text, "%s%.8X%.4x%u.%X", pair,
                                   static_cast<unsigned>(r), static_cast<unsigned>(t >> s),
                                   static_cast<unsigned>(sequence), static_cast<unsigned>(q));
  std::wstring name(text, text + (length > 0 ? length : 0));
  if (static_cast<int64_t>(name.size()) < target_length) {
    const size_t filler = static_cast<size_t>(target_length) - name.size();
    name.insert(4, filler, (t & 1u) ? L'~' : L'$');
  }
  return name;
}

std::wstring ScramblePrefix(const std::wstring& path) {
  std::wstring prefix = path;
  if (!prefix.empty() && prefix.back() == L'\\') prefix.pop_back();
  const size_t slash = prefix.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : prefix.substr(0, slash + 1);
}

bool HasOwnFolder(const std::wstring& path) {
  const std::wstring prefix = ScramblePrefix(path);
  if (prefix.empty()) return false;
  std::wstring name = path.substr(prefix.size());
  if (!name.empty() && name.back() == L'\\') name.pop_back();
  return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"/:") == std::wstring::npos;
}

int32_t RandomNameLimit(size_t prefix_length, int32_t cap) {
  if (prefix_length >= 256) return 0;
  const int32_t limit = 255 - static_cast<int32_t>(prefix_length);
  return limit < cap ? limit : cap;
}

int ScrambleWith(CScrambleOps& ops, const std::wstring& path, std::wstring* final_path,
                 int32_t count) {
  *final_path = path;
  if (!HasOwnFolder(path)) return 1;
  const std::wstring prefix = ScramblePrefix(path);
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t sequence = static_cast<uint32_t>(i);
    std::wstring candidate =
        prefix + ops.MakeName(sequence, RandomNameLimit(prefix.size(), kFirstNameCap));
    uint32_t error = ops.Move(*final_path, candidate);
    if (error == 0) {
      *final_path = candidate;
      continue;
    }
    if (error == kErrorFileNotFound) break;
    // Usually a clash or a name too long for the volume: once more, shorter.
    candidate = prefix + ops.MakeName(sequence, RandomNameLimit(prefix.size(), kSecondNameCap));
    error = ops.Move(*final_path, candidate);
    if (error == 0) {
      *final_path = candidate;
    } else if (error == kErrorFileNotFound) {
      break;
    }
  }
  return 1;
}

}  // namespace bpriv
