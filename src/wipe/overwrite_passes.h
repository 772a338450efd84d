// The pass loop of the file wiper, apart from the file it writes to.
#pragma once

#include <cstdint>

#include "wipe/progress_record.h"

namespace bpriv {

class CWipeAlgo;

// Wipe option bits.
constexpr uint32_t kWipeStreams = 0x02;        // also the NTFS alternate streams
constexpr uint32_t kWipeWholeClusters = 0x10;  // cluster instead of sector granularity

constexpr uint32_t kWipeBufferBytes = 131072;

// What OverwritePasses writes to: an open file or stream.
class CWipeTarget {
 public:
  virtual ~CWipeTarget() = default;
  virtual void Rewind() = 0;  // file pointer to offset 0
  // Writes the bytes at the file pointer; returns the count written, 0 on failure.
  virtual uint32_t Write(const uint8_t* data, uint32_t length) = 0;
  virtual void Flush() = 0;
};

// Bytes per write unit: the sector, or the cluster with kWipeWholeClusters.
// A reported 0 counts as 512 bytes per sector and 8 sectors per cluster.
uint32_t WriteGranularity(uint32_t bytes_per_sector, uint32_t sectors_per_cluster,
                          uint32_t options);

// At least kWipeBufferBytes and the granularity, and a whole multiple of the
// granularity so no raised chunk can exceed it.
uint32_t WipeBufferSize(uint32_t granularity);

// One chunk: the smaller of `remaining` and the buffer, raised to the next
// multiple of the granularity.
uint32_t ChunkLength(uint64_t remaining, uint32_t buffer_size, uint32_t granularity);

// Writes every pass of `algo` over the first `size` bytes (each pass from
// offset 0, in chunks), flushing after each pass, reporting to `progress` and
// stopping when its stop flag is set. `buffer` holds `buffer_size` bytes.
// Returns 1 when the bytes written divided by the pass count reach `size`.
int OverwritePasses(CWipeTarget& target, CWipeAlgo& algo, uint32_t granularity, uint64_t size,
                    uint8_t* buffer, uint32_t buffer_size, ProgressRecord* progress);

}  // namespace bpriv
