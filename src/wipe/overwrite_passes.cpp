#include "wipe/overwrite_passes.h"

#include "wipe/wipe_algo.h"

namespace bpriv {

uint32_t WriteGranularity(uint32_t bytes_per_sector, uint32_t sectors_per_cluster,
                          uint32_t options) {
  const uint64_t sector = bytes_per_sector != 0 ? bytes_per_sector : 512u;
  const uint64_t per_cluster = sectors_per_cluster != 0 ? sectors_per_cluster : 8u;
  const uint64_t granularity = (options & kWipeWholeClusters) ? sector * per_cluster : sector;
  // No volume reports a cluster near 4 GiB; do not let a bogus one wrap to 0.
  return granularity <= 0x40000000u ? static_cast<uint32_t>(granularity) : 512u;
}

uint32_t WipeBufferSize(uint32_t granularity) {
  const uint32_t at_least = granularity > kWipeBufferBytes ? granularity : kWipeBufferBytes;
  return (at_least + granularity - 1) / granularity * granularity;
}

uint32_t ChunkLength(uint64_t remaining, uint32_t buffer_size, uint32_t granularity) {
  const uint32_t n = remaining < buffer_size ? static_cast<uint32_t>(remaining) : buffer_size;
  return (n + granularity - 1) / granularity * granularity;
}

namespace {

bool StopRequested(const ProgressRecord* progress) {
  return progress != nullptr && progress->stop_flag.load(std::memory_order_relaxed) != 0;
}

}  // namespace

int OverwritePasses(CWipeTarget& target, CWipeAlgo& algo, uint32_t granularity, uint64_t size,
                    uint8_t* buffer, uint32_t buffer_size, ProgressRecord* progress) {
  const uint32_t passes = algo.GetPassCount();
  if (passes == 0) return 0;
  uint64_t total_written = 0;
  try {
    for (uint32_t pass = 0; pass < passes; ++pass) {
      uint32_t chunk = 0;
      target.Rewind();
      uint64_t remaining = size;
      if (!StopRequested(progress)) {
        while (remaining > 0) {
          const uint32_t n = ChunkLength(remaining, buffer_size, granularity);
          // When the algorithm fills nothing, what the buffer holds is written.
          (void)algo.FillPass(pass, buffer, n, chunk);
          ++chunk;
          const uint32_t written = target.Write(buffer, n);
          if (written == 0) {
            total_written = 0;
            break;
          }
          total_written += written;
          if (progress != nullptr) {
            progress->bytes_done.fetch_add(written / passes, std::memory_order_relaxed);
            if (StopRequested(progress)) break;
          }
          if (n >= remaining) break;
          remaining -= n;
        }
      }
      target.Flush();
      if (StopRequested(progress)) break;
    }
  } catch (...) {
    // Whatever was written so far decides, as after a stop.
  }
  return total_written / passes >= size ? 1 : 0;
}

}  // namespace bpriv
