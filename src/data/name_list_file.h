// Name-list files on the disk: the favourite lists the controller writes and
// the file list the agent writes back.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "safe/safe_file.h"

namespace bpriv {

// The entries of a name-list file, opened with the given sharing. Every
// failure (missing, empty, unreadable, short) gives an empty list.
std::vector<std::wstring> ReadNameList(const std::wstring& path, DWORD share_mode);

// Writes the entries, each followed by CR LF, over the file (created when
// absent) and cuts it after them, even when the write failed; through
// `folders`, so never through a planted link. False when the file could not
// be opened or written.
[[nodiscard]] bool WriteNameListFile(CSafeFolders& folders, const std::wstring& path,
                                     const std::vector<std::wstring>& entries, DWORD share_mode);

}  // namespace bpriv
