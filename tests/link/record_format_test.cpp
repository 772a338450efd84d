#include "link/record_format.h"

#include <gtest/gtest.h>

#include <string>

namespace bpriv {
namespace {

std::u16string U(const char* s) { return std::u16string(s, s + std::char_traits<char>::length(s)); }
std::string N(const std::u16string& s) { return std::string(s.begin(), s.end()); }  // ASCII in these tests

TEST(RecordFormat, HistoryEntryFields) {
  struct {
    int32_t number;
    uint32_t low, high;
    const char* title;
    const char* url;
    const char* expected;
  } cases[] = {
      {1234, 3000000000u, 30000000u, "A B", "http://a.example/",
       "PRIVILEGE 00 1234 -1294967296 30000000 3 A B http://a.example/"},
      {7, 5, 0, "", "http://b.example/x y", "PRIVILEGE 00 7 5 0 0   http://b.example/x y"},
      {7, 0x80000000u, 0xFFFFFFFFu, "\"q\"", "u", "PRIVILEGE 00 7 -2147483648 -1 3 \"q\" u"},
      {2147483647, 0x7FFFFFFFu, 0, " ", "u", "PRIVILEGE 00 2147483647 2147483647 0 1   u"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(N(FormatHistoryEntryRecord(c.number, c.low, c.high, U(c.title), U(c.url))), c.expected) << c.expected;
}

TEST(RecordFormat, HistoryTitleLengthCountsUtf16Units) {
  // One character outside the BMP is two units; a reader splits by this count.
  const std::u16string title = u"\U0001F600x";
  std::u16string record = FormatHistoryEntryRecord(1, 0, 0, title, u"u");
  EXPECT_EQ(record, u"PRIVILEGE 00 1 0 0 3 " + title + u" u");
}

TEST(RecordFormat, FolderWalkRecords) {
  struct {
    std::u16string text;
    const char* expected;
  } cases[] = {
      {FormatFolderItemRecord(65594, 0, u"Today"), "PRIVILEGE 00 65594 0 Today"},
      {FormatFolderItemRecord(65594, 4, u"a \"b\".htm"), "PRIVILEGE 00 65594 4 a \"b\".htm"},
      {FormatFolderItemRecord(1, 2, u""), "PRIVILEGE 00 1 2 "},
      {FormatFolderOpenRecord(), "PRIVILEGE +1"},
      {FormatFolderCloseRecord(-5), "PRIVILEGE -1 -5"},
      {FormatFolderCloseRecord(65594), "PRIVILEGE -1 65594"},
      {FormatItemDoneRecord(), "PRIVILEGE 01"},
  };
  for (const auto& c : cases) EXPECT_EQ(N(c.text), c.expected);
}

TEST(RecordFormat, FolderItemNameIsCutAt259Units) {
  for (size_t length : {258u, 259u, 260u, 400u}) {
    std::u16string name(length, u'n');
    std::u16string record = FormatFolderItemRecord(9, 2, name);
    EXPECT_EQ(record, u"PRIVILEGE 00 9 2 " + name.substr(0, 259)) << length;
  }
}

TEST(RecordFormat, CacheEntryAndCookieBufferLimit) {
  EXPECT_EQ(N(FormatCacheEntryRecord(12, U("C:\\x\\a b.txt"), U("http://c/"))),
            "PRIVILEGE 00 12 \"C:\\x\\a b.txt\" http://c/");
  // "PRIVILEGE 00 12 \"" + file + "\" " + url: 19 units around the fields.
  const size_t fixed = FormatCacheEntryRecord(12, u"", u"").size();
  ASSERT_EQ(fixed, 19u);
  struct {
    size_t total;  // record length in units, without the terminator
    bool sent;
  } cases[] = {{408, true}, {409, true}, {410, false}, {600, false}};
  for (const auto& c : cases) {
    std::u16string file(100, u'f');
    std::u16string url(c.total - fixed - file.size(), u'u');
    auto record = FormatCookieRecord(12, file, url);
    EXPECT_EQ(record.has_value(), c.sent) << c.total;
    if (record) {
      EXPECT_EQ(record->size(), c.total);
      EXPECT_EQ(*record, u"PRIVILEGE 00 12 \"" + file + u"\" " + url);
    }
  }
}

}  // namespace
}  // namespace bpriv
