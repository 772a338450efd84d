#include "data/name_list.h"

namespace bpriv {

std::vector<std::u16string> ParseNameList(const uint8_t* bytes, size_t size) {
  std::vector<std::u16string> entries;
  // Units are assembled byte by byte: the text need not be aligned, and the
  // host's byte order does not matter.
  std::u16string text;
  text.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2) {
    const char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (unit == u'\0') break;
    text.push_back(unit);
  }
  size_t pos = text.empty() || text[0] != u'\uFEFF' ? 0 : 1;  // an editor's mark would hide the first name
  while (pos < text.size()) {
    const size_t cr = text.find(u'\r', pos);
    if (cr == std::u16string::npos) break;
    entries.emplace_back(text, pos, cr - pos);
    pos = cr + 2;  // the unit after the CR is the LF of the pair, skipped unread
  }
  return entries;
}

void AppendUtf16Le(std::u16string_view text, std::string* bytes) {
  for (char16_t unit : text) {
    bytes->push_back(static_cast<char>(unit & 0xFF));
    bytes->push_back(static_cast<char>(unit >> 8));
  }
}

void AppendNameListEntry(std::u16string_view entry, std::string* bytes) {
  AppendUtf16Le(entry, bytes);
  AppendUtf16Le(u"\r\n", bytes);
}

}  // namespace bpriv
