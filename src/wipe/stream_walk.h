// Reading the file system's answer to a stream query: a chain of
// FILE_STREAM_INFORMATION records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bpriv {

struct StreamEntry {
  uint64_t size = 0;   // the stream's logical size (StreamSize)
  std::wstring name;   // ":extra:$DATA", or ":extra" with the suffix removed
};

// Record layout as the platform publishes it (all little-endian).
constexpr size_t kStreamNextOffset = 0;    // uint32: distance to the next, 0 in the last
constexpr size_t kStreamNameLength = 4;    // uint32: name length in bytes
constexpr size_t kStreamSize = 8;          // int64
constexpr size_t kStreamAllocation = 16;   // int64
constexpr size_t kStreamName = 24;         // UTF-16, not NUL-terminated

// Walks the records in the first `length` bytes of `answer` and puts every
// stream except the main one ("::$DATA", any letter case) into `streams`.
// Returns false, leaving `streams` as it was, when a record or its name
// would reach past `length`, whatever the offsets say.
bool ReadStreamRecords(const uint8_t* answer, size_t length, bool remove_suffix,
                       std::vector<StreamEntry>* streams);

}  // namespace bpriv
