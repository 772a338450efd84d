// Where a path lies below a folder that the user's own configuration names
// (an anchor), and whether the path the platform reports for an opened object
// says that the object really lies there. Pure code.
//
// What lies above an anchor is the user's choice (a profile moved to another
// drive with a junction, a share) and is followed. Below it, nothing may be a
// link: the object's final path must be the anchor's final path followed by
// the very names that were asked for.
#pragma once
#include <optional>
#include <string_view>
#include <vector>

namespace bpriv {

// Equality of two names as the file system compares them.
using SameNameFn = bool (*)(std::u16string_view a, std::u16string_view b);

// Equal with the letters A to Z folded: the host's stand-in for the platform's
// comparison.
bool SameAsciiNoCase(std::u16string_view a, std::u16string_view b);

// A name that Win32 opens as itself in any folder: not empty, ".", "..", no
// trailing dot or blank (Windows would drop them), no "/" , ":" (a stream),
// control or wildcard character, not a device name (NUL, COM1, CON.txt, ...).
bool IsPlainComponent(std::u16string_view name);

// An absolute folder in a form the shell reports: "C:\...", "\\server\share..."
// or either behind "\\?\" ("\\?\C:\...", "\\?\UNC\server\share...").
bool IsAbsoluteFolder(std::u16string_view folder);

// The names of `path` below `anchor` ("C:\a" and "C:\a\b\c.txt" give "b",
// "c.txt"), or nothing when `path` does not lie strictly below the anchor as
// text or one of those names is not plain. A trailing backslash on the anchor
// is ignored.
std::optional<std::vector<std::u16string_view>> NamesBelow(std::u16string_view anchor, std::u16string_view path,
                                                           SameNameFn same);

// True when `final_path` is `anchor_final` followed by exactly `names`, each
// after one backslash.
bool IsFinalPathBelow(std::u16string_view final_path, std::u16string_view anchor_final,
                      const std::vector<std::u16string_view>& names, SameNameFn same);

}  // namespace bpriv
