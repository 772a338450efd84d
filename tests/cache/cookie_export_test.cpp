#include "cache/cookie_export.h"

#include <gtest/gtest.h>

namespace bpriv {
namespace {

TEST(CookieNameOf, StripsOnlyAnExactPrefixWithSomethingBehindIt) {
  const std::u16string_view cases[][2] = {{u"Cookie:u@x/", u"u@x/"}, {u"cookie:u@x/", u"cookie:u@x/"},
                                          {u"Cookie:", u"Cookie:"},   {u"http://a/Cookie:x", u"http://a/Cookie:x"}};
  for (const auto& c : cases) EXPECT_EQ(std::u16string(CookieNameOf(c[0])), std::u16string(c[1]));
}

// No quote or blank escaped; "PRIVILEGE 00 7 \"\" " is 18 units: the key may
// take the rest of 409, not one more. A line break in a name or file would
// forge lines: no record.
TEST(FormatFileRecord, FieldsInOrderCutAtTheLimitNoLineBreaks) {
  EXPECT_EQ(FormatFileRecord(-5, u"C:\\c\\A B.txt", u"u@x/"), u"PRIVILEGE 00 -5 \"C:\\c\\A B.txt\" u@x/");
  EXPECT_EQ(FormatFileRecord(7, u"", std::u16string(409 - 18, u'k'), kCookieRecordMaxUnits).value_or(u"").size(), 409u);
  EXPECT_FALSE(FormatFileRecord(7, u"", std::u16string(409 - 17, u'k'), kCookieRecordMaxUnits));
  EXPECT_TRUE(FormatFileRecord(7, u"", std::u16string(409 - 17, u'k'))) << "no limit unless asked";
  for (auto [file, key] : {std::pair{u"C:\\c\\A.txt", u"a@x/\r\n<FILE>C:\\Windows\\win.ini</FILE>"},
                           {u"C:\\c\\A.txt", u"a@x/\n"}, {u"C:\\c\rA.txt", u"a@x/"}, {u"\nA.txt", u"a@x/"}})
    EXPECT_FALSE(FormatFileRecord(1, file, key)) << testing::PrintToString(std::u16string(key));
}

TEST(AppendCookieExportBlock, FourCrLfLinesInUtf16LeWithoutEscaping) {
  std::string bytes, want;
  AppendCookieExportBlock(u"u@a&b/<p>", u"C:\\f.txt", u"01/01/2013 02:00:00 PM", u"", &bytes);
  // Every unit is ASCII: its low byte, then a zero byte; no byte-order mark.
  for (char c : std::string("<URL>u@a&b/<p></URL>\r\n<FILE>C:\\f.txt</FILE>\r\n<EXPIRETIME>01/01/2013 02:00:00 PM"
                            "</EXPIRETIME>\r\n<LASTACCESSTIME></LASTACCESSTIME>\r\n"))
    want += {c, '\0'};
  EXPECT_EQ(bytes, want);
}

}  // namespace
}  // namespace bpriv
