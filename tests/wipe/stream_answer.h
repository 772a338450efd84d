// Builds a stream-query answer as the file system lays it out: records 8-byte
// aligned, each pointing to the next, the last with offset 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wipe/stream_walk.h"

namespace bpriv {

inline std::vector<uint8_t> StreamAnswer(const std::vector<std::pair<std::string, uint64_t>>& streams) {
  std::vector<uint8_t> out;
  const auto put = [&out](size_t at, uint64_t value, int bytes) {
    for (int b = 0; b < bytes; ++b) out[at + b] = static_cast<uint8_t>(value >> (8 * b));
  };
  for (size_t i = 0, previous = 0, at = 0; i < streams.size(); ++i, previous = at, at = out.size()) {
    if (i > 0) put(previous + kStreamNextOffset, at - previous, 4);
    const std::string& name = streams[i].first;
    out.resize(at + kStreamName + 2 * name.size(), 0);
    put(at + kStreamNameLength, 2 * name.size(), 4);
    put(at + kStreamSize, streams[i].second, 8);
    for (size_t c = 0; c < name.size(); ++c) out[at + kStreamName + 2 * c] = static_cast<uint8_t>(name[c]);
    out.resize((out.size() + 7) / 8 * 8, 0xCD);
  }
  return out;
}

}  // namespace bpriv
