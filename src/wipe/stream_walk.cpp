#include "wipe/stream_walk.h"

#include <cstring>
#include <new>

namespace bpriv {

namespace {

uint32_t ReadU32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint64_t ReadU64(const uint8_t* p) { return uint64_t{ReadU32(p)} | uint64_t{ReadU32(p + 4)} << 32; }

bool IsMainStream(const std::wstring& name) {
  static const char kMain[] = "::$DATA";
  if (name.size() != 7) return false;
  for (size_t i = 0; i < 7; ++i) {
    wchar_t c = name[i];
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    if (c != static_cast<wchar_t>(kMain[i])) return false;
  }
  return true;
}

}  // namespace

bool ReadStreamRecords(const uint8_t* answer, size_t length, bool remove_suffix,
                       std::vector<StreamEntry>* streams) {
  std::vector<StreamEntry> found;
  size_t at = 0;
  while (at < length) {
    if (length - at < kStreamName) return false;
    const uint8_t* record = answer + at;
    const uint32_t next = ReadU32(record + kStreamNextOffset);
    const uint32_t name_bytes = ReadU32(record + kStreamNameLength);
    if (name_bytes % 2 != 0 || name_bytes > length - at - kStreamName) return false;
    StreamEntry entry;
    entry.size = ReadU64(record + kStreamSize);
    entry.name.reserve(name_bytes / 2);
    for (uint32_t i = 0; i < name_bytes; i += 2) {
      const uint8_t* unit = record + kStreamName + i;
      entry.name.push_back(static_cast<wchar_t>(unit[0] | unit[1] << 8));
    }
    if (!IsMainStream(entry.name)) {
      if (remove_suffix) {
        const size_t cut = entry.name.find(L":$");
        if (cut != std::wstring::npos) entry.name.resize(cut);
      }
      // An entry the list has no room for is left out; the others still count.
      try {
        found.push_back(std::move(entry));
      } catch (const std::bad_alloc&) {
      }
    }
    if (next == 0) {
      streams->swap(found);
      return true;
    }
    at += next;
  }
  // An empty answer lists no stream; a chain pointing to or past the end is broken.
  if (length == 0) {
    streams->clear();
    return true;
  }
  return false;
}

}  // namespace bpriv
