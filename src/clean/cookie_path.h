// What the restore job accepts from a saved-cookies file before it writes
// anything: the file is untrusted, and the job runs with more rights than the
// sandboxed processes that can write it. Pure code.
#pragma once
#include <string_view>

namespace bpriv {

// True when the key begins with "Cookie:" in any letter case.
bool IsCookieKey(std::u16string_view key);

// True when `path` is a plain absolute path strictly inside `folder` (itself
// of the form "X:\..."): shorter than MAX_PATH, no "/" , no second colon, no
// device or UNC form, no empty, "." or ".." component, none that Windows
// would shorten (trailing dot or blank), no reserved device name, no control
// or wildcard character.
bool IsPlainPathInside(std::u16string_view path, std::u16string_view folder);

}  // namespace bpriv
