#include "data/name_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bpriv {
namespace {

// UTF-16LE bytes of an ASCII text; '#' stands for U+0000, '~' for a BOM.
std::string Le(const char* text) {
  std::string bytes;
  for (const char* p = text; *p; ++p) {
    const char16_t unit = *p == '#' ? u'\0' : *p == '~' ? u'\xFEFF' : static_cast<char16_t>(*p);
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

std::vector<std::u16string> Parse(const std::string& bytes) {
  // A heap copy of exactly the size, so the sanitizer sees any read past it.
  std::vector<uint8_t> exact(bytes.begin(), bytes.end());
  return ParseNameList(exact.data(), exact.size());
}

TEST(ParseNameList, EveryCaseOfTheFormat) {
  const std::u16string bom(1, u'\xFEFF');
  struct {
    const char* name;
    std::string bytes;
    std::vector<std::u16string> want;
  } cases[] = {
      {"two entries", Le("a@x/\r\nb@y/\r\n"), {u"a@x/", u"b@y/"}},
      {"missing final CR LF", Le("a@x/\r\nb@y/"), {u"a@x/"}},
      {"final lone CR", Le("a@x/\r\nb@y/\r"), {u"a@x/", u"b@y/"}},
      {"final LF only", Le("a@x/\n"), {}},
      {"BOM kept in first entry", Le("~a\r\nb\r\n"), {bom + u"a", u"b"}},
      {"empty lines", Le("\r\na\r\n\r\n"), {u"", u"a", u""}},
      {"duplicates and blanks stay", Le(" a \r\n a \r\nA\r\n"), {u" a ", u" a ", u"A"}},
      {"odd final byte", Le("a\r\nb\r\n") + "\x41", {u"a", u"b"}},
      {"odd byte after text without CR", Le("a\r\nb") + "\x0d", {u"a"}},
      {"U+0000 ends the text", Le("a\r\nb#\r\nc\r\n"), {u"a"}},
      {"U+0000 between CR and LF", Le("a\r#\nb\r\n"), {u"a"}},
      {"empty file", "", {}},
      {"one byte", "\x0d", {}},
      {"CR only", Le("\r"), {u""}},
      {"non-ASCII units keep their value", std::string("\x3A\x04\xE9\x00\x0D\x00\x0A\x00", 8), {u"\u043A\u00E9"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(c.bytes), c.want) << c.name;
}

TEST(AppendNameListEntry, RoundTripsThroughTheReader) {
  const std::vector<std::u16string> names = {u"a@x/", u"", u"\u043A \"q\"", u"C:\\p\\f.txt"};
  std::string bytes;
  for (const auto& n : names) AppendNameListEntry(n, &bytes);
  EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\x0D\x00\x0A\x00", 4));
  EXPECT_EQ(Parse(bytes), names);
}

}  // namespace
}  // namespace bpriv
