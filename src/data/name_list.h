// The name-list file format of the favourite-cookie files: UTF-16LE, no
// byte-order mark (one that is there anyway is skipped, not taken into the
// first entry), every entry followed by CR LF. Pure code: bytes in, UTF-16
// units out.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bpriv {

// The entries of a name-list text, in file order. The text after the last CR
// is not an entry; an odd final byte is ignored; U+0000 ends the text.
std::vector<std::u16string> ParseNameList(const uint8_t* bytes, size_t size);

// Appends one entry and its CR LF, as UTF-16LE bytes.
void AppendNameListEntry(std::u16string_view entry, std::string* bytes);

// Appends UTF-16 units as UTF-16LE bytes.
void AppendUtf16Le(std::u16string_view text, std::string* bytes);

}  // namespace bpriv
