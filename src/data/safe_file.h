// Opening files for writing where another, less trusted process can plant
// names: the product data folder lies in LocalAppDataLow, which sandboxed
// Low-integrity processes may write, while this agent runs at Medium. A name
// there may be a hard link to some other file of the user, and the folder may
// be a junction (or, under Wine, a Unix symbolic link). Writing through such a
// name would let the sandbox choose what the agent overwrites.
#pragma once
#include <windows.h>

#include <string>

#include "base/unique.h"

namespace bpriv {

// True when the open handle is a plain disk file (no folder, no device, no
// reparse point) with exactly one link, and, where the platform can tell, its
// final path is `path` itself.
[[nodiscard]] bool IsPlainFileAt(HANDLE file, const std::wstring& path);

// CreateFileW with the given access, sharing and disposition; the handle is
// kept only when IsPlainFileAt holds, else closed and the result is as if the
// open had failed (ERROR_ACCESS_DENIED).
[[nodiscard]] UniqueFile OpenPlainFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition);

// The open of the favourite-cookie jobs' writes: write access, deny-none
// sharing (read and write), created when absent; when that fails, once more
// without the create request. An existing file is not shortened.
[[nodiscard]] UniqueFile OpenPlainFileForWrite(const std::wstring& path);

// Writes all bytes and cuts the file there. False when any step fails.
[[nodiscard]] bool WriteWholeFile(HANDLE file, const void* data, size_t size);

}  // namespace bpriv
