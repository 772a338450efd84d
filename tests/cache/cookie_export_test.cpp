#include "cache/cookie_export.h"

#include <gtest/gtest.h>

#include <string>

namespace bpriv {
namespace {

TEST(CookieNameOf, StripsOnlyAnExactPrefixWithSomethingBehindIt) {
  struct {
    std::u16string key, name;
  } cases[] = {
      {u"Cookie:u@example.com/", u"u@example.com/"},
      {u"cookie:u@example.com/", u"cookie:u@example.com/"},
      {u"COOKIE:u@x/", u"COOKIE:u@x/"},
      {u"Cookie:", u"Cookie:"},
      {u"Cookie:x", u"x"},
      {u"Cookie", u"Cookie"},
      {u"", u""},
      {u"http://a/Cookie:x", u"http://a/Cookie:x"},
  };
  for (const auto& c : cases) EXPECT_EQ(std::u16string(CookieNameOf(c.key)), c.name);
}

TEST(FormatFileRecord, FieldsInOrderCutAtTheLimitNoLineBreaks) {
  EXPECT_EQ(FormatFileRecord(1234, u"C:\\c\\AB12CD34.txt", u"u@x/"), u"PRIVILEGE 00 1234 \"C:\\c\\AB12CD34.txt\" u@x/");
  EXPECT_EQ(FormatFileRecord(-5, u"", u"k"), u"PRIVILEGE 00 -5 \"\" k");
  EXPECT_EQ(FormatFileRecord(2147483647, u"a \"b\"", u"c d"), u"PRIVILEGE 00 2147483647 \"a \"b\"\" c d");

  // "PRIVILEGE 00 7 \"\" " is 18 units: the key may take the rest of 409, not one more.
  const std::u16string fits(409 - 18, u'k'), over(409 - 18 + 1, u'k');
  auto at_limit = FormatFileRecord(7, u"", fits, kCookieRecordMaxUnits);
  ASSERT_TRUE(at_limit.has_value());
  EXPECT_EQ(at_limit->size(), 409u);
  EXPECT_FALSE(FormatFileRecord(7, u"", over, kCookieRecordMaxUnits).has_value());
  EXPECT_TRUE(FormatFileRecord(7, u"", over).has_value()) << "no limit unless asked";
  // A line break in a name or file would forge lines: no record.
  EXPECT_FALSE(FormatFileRecord(1, u"C:\\c\\A.txt", u"a@x/\r\n<FILE>C:\\Windows\\win.ini</FILE>").has_value());
  EXPECT_FALSE(FormatFileRecord(1, u"C:\\c\\A.txt", u"a@x/\n").has_value());
  EXPECT_FALSE(FormatFileRecord(1, u"C:\\c\rA.txt", u"a@x/").has_value());
  EXPECT_FALSE(FormatFileRecord(1, u"\nA.txt", u"a@x/").has_value());
}

TEST(AppendCookieExportBlock, FourCrLfLinesInUtf16LeWithoutEscaping) {
  std::string bytes;
  AppendCookieExportBlock(u"u@a&b/<p>", u"C:\\f.txt", u"01/01/2013 02:00:00 PM", u"", &bytes);
  // Every unit is ASCII: its low byte, then a zero byte; no byte-order mark.
  const std::string text =
      "<URL>u@a&b/<p></URL>\r\n<FILE>C:\\f.txt</FILE>\r\n<EXPIRETIME>01/01/2013 02:00:00 PM</EXPIRETIME>\r\n"
      "<LASTACCESSTIME></LASTACCESSTIME>\r\n";
  std::string want;
  for (char c : text) want += std::string{c, '\0'};
  EXPECT_EQ(bytes, want);
}

}  // namespace
}  // namespace bpriv
