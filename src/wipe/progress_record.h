// The block through which a cleaning job reports to the wipe progress dialog
// and the dialog passes the user's stop request back. Plain data: each side
// writes its own fields and reads the other's, without a lock.
#pragma once

#include <atomic>
#include <cstdint>

namespace bpriv {

constexpr uint32_t kProgressTextUnits = 260;  // UTF-16 units including the NUL

struct ProgressRecord {
  // 1 when the worker has finished; the worker's last write to the record.
  std::atomic<int32_t> done_flag{0};
  // 1 when the user asked the job to stop; written by the dialog only.
  std::atomic<int32_t> stop_flag{0};
  // Bytes deleted or wiped so far; written by the worker thread only.
  std::atomic<uint64_t> bytes_done{0};
  // Expected total, 0 = not given.
  std::atomic<uint64_t> bytes_total{0};
  std::atomic<int32_t> items_done{0};
  // Heap block of three words written by the handler before the worker
  // starts; the worker takes the values and frees it.
  uint32_t* job_args = nullptr;
  std::atomic<int32_t> files_total{0};
  std::atomic<int32_t> files_done{0};
  // Text of the item in hand. The dialog may read it while it is rewritten
  // and redraws when it changes, so a mixed text lasts one tick at most.
  char16_t current_item[kProgressTextUnits] = {};
  // The dialog's heading line, written by the handler before the run.
  char16_t heading[kProgressTextUnits] = {};
};

}  // namespace bpriv
