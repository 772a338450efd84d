// Overwriting a file (and on NTFS its alternate streams) in place.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/progress_record.h"
#include "wipe/overwrite_passes.h"

namespace bpriv {

class CWipeAlgo;

constexpr int kWipeRefused = 2;  // clearing read-only/system was refused

// Overwrites the file with every pass of `algo`. Returns 1 when done, 0 on
// failure, 2 when clearing its read-only or system attribute was refused with
// access denied. Returns 0 without touching anything when `algo` is null or
// the name is a link (a reparse point, or one of several hard links): its
// contents then belong to another name too. `retry` keeps trying for about
// 5 s to open a file that is in use.
int WipeFile(const wchar_t* path, CWipeAlgo* algo, uint32_t options, ProgressRecord* progress,
             bool retry);

// Writes every pass over the first `size` bytes (0: the file's current size)
// of an open handle with read and write access. Returns 1 when the bytes
// written, divided by the pass count, reach the size.
int OverwriteFile(HANDLE file, CWipeAlgo* algo, uint32_t granularity, uint64_t size,
                  ProgressRecord* progress);

// Drive type of `root` (such as C:\); the volume and file-system names for
// fixed drives, and removable ones when asked, else empty.
UINT GetVolumeInfo(const wchar_t* root, std::wstring* volume_name, std::wstring* file_system,
                   bool include_removable);

// Shows the system's text for `error` in an error box, unless the system has
// no text for it. Returns true when a box was shown.
bool ShowSystemError(DWORD error);

}  // namespace bpriv
