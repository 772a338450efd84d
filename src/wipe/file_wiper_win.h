// Overwriting a file (and on NTFS its alternate streams) in place, through a
// handle that passed the file-safety checks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "safe/safe_file.h"
#include "wipe/progress_record.h"
#include "wipe/overwrite_passes.h"

namespace bpriv {

class CWipeAlgo;

constexpr int kWipeRefused = 2;  // clearing read-only/system was refused

// Opens the file `path` names through `folders` and overwrites it with every
// pass of `algo`. Returns 1 when done, 0 on failure, 2 when clearing its
// read-only or system attribute was refused with access denied.
// `*file` receives the checked handle whenever the file could be opened, so
// that the caller renames and deletes the very file that was checked: the
// exclusive handle the wipe wrote through, or, where nothing was written (no
// algorithm; a second hard link, whose name keeps the bytes; a file in use by
// a program that lets others delete it), one with delete access only.
// `retry` keeps trying for about 5 s to open a file that is in use.
int WipeFile(CSafeFolders& folders, const std::wstring& path, CWipeAlgo* algo, uint32_t options,
             ProgressRecord* progress, bool retry, CSafeFile* file);

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
