// What the restore job accepts from a saved-cookies file before it writes
// anything: the file is untrusted, and the job runs with more rights than the
// sandboxed processes that can write it. Pure code.
#pragma once
#include <string_view>

namespace bpriv {

// True when the key begins with "Cookie:" in any letter case.
bool IsCookieKey(std::u16string_view key);

// True when `path` is shorter than MAX_PATH and lies strictly inside `folder`
// (an absolute folder in drive, UNC or "\\?\" form, as the shell reports the
// cookie folder), in the same form, through plain names only (see
// IsPlainComponent: no ".", "..", empty name, stream, device name, trailing
// dot or blank, "/", control or wildcard character).
bool IsPlainPathInside(std::u16string_view path, std::u16string_view folder);

// A plain path inside the cookie folder to a file the cache itself could have
// named for a cookie: its name ends in ".txt" (any case) after at least one
// character, so never index.dat or another file the cache keeps there.
bool IsCookieFilePath(std::u16string_view path, std::u16string_view cookie_folder);

}  // namespace bpriv
