// The two file formats of the data folder: the name list and the saved cookies.
#include <gtest/gtest.h>

#include "data/name_list.h"
#include "data/saved_cookies.h"

// A length field of a tampered file must never turn into a huge allocation:
// under the sanitizer, one above 1 GiB ends the test program.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options() { return "max_allocation_size_mb=1024"; }
#endif

namespace bpriv {
namespace {

using namespace std::string_literals;

std::string Le(const std::u16string& text) {  // UTF-16LE bytes, written out here
  std::string bytes;
  for (char16_t unit : text) bytes += {static_cast<char>(unit), static_cast<char>(unit >> 8)};
  return bytes;
}

// Entries end with CR (its LF skipped unread); one leading BOM is skipped;
// an odd final byte is ignored; U+0000 ends the text. Read from a heap
// copy of exactly the size, so the sanitizer sees any read past it.
TEST(NameList, ParseEveryCaseOfTheFormatAndWriteLittleEndian) {
  const std::pair<std::string, std::vector<std::u16string>> cases[] = {
      {Le(u"a@x/\r\nb@y/"), {u"a@x/"}}, {Le(u"a\r\nb\r"), {u"a", u"b"}}, {Le(u"a\n"), {}}, {"\r", {}}, {"", {}},
      {Le(u"\uFEFFa\r\nb\r\n"), {u"a", u"b"}}, {Le(u"\uFEFF\uFEFFa\r\n"), {u"\uFEFFa"}}, {Le(u"\r\na\r\n\r\n"), {u"", u"a", u""}},
      {Le(u"a\r\nb\r\n") + "A", {u"a", u"b"}}, {Le(u"a\r\nb\0\r\nc\r\n"s), {u"a"}}, {Le(u"a\r\0\nb\r\n"s), {u"a"}},
      {"\x3A\x04\xE9\x00\x0D\x00\x0A\x00"s, {u"\u043A\u00E9"}},
  };
  for (const auto& [b, want] : cases)
    EXPECT_EQ(ParseNameList(std::vector<uint8_t>(b.begin(), b.end()).data(), b.size()), want);
  std::string written;
  for (const char16_t* name : {u"\u043Aa", u""}) AppendNameListEntry(name, &written);
  EXPECT_EQ(written, "\x3A\x04\x61\x00\r\x00\n\x00\r\x00\n\x00"s);
}

std::string File(const std::vector<SavedCookieRecord>& records, uint32_t count) {
  std::string bytes;
  AppendUint32Le(count, &bytes);
  for (const SavedCookieRecord& r : records) AppendSavedRecord(r, &bytes);
  return bytes;
}

// Reads like the restore: the count, then records until one fails (*ok false).
std::vector<SavedCookieRecord> ReadAll(const std::string& bytes, bool* ok) {
  std::vector<uint8_t> exact(bytes.begin(), bytes.end());  // the sanitizer sees reads past the end
  CMemorySource source(exact.data(), exact.size());
  std::vector<SavedCookieRecord> records;
  uint32_t count = 0;
  *ok = ReadSavedCount(source, &count);
  for (SavedCookieRecord r; *ok && records.size() < count && (*ok = ReadSavedRecord(source, &r));) records.push_back(r);
  return records;
}

// Byte order and 64-bit times written out; then every cut and every length
// that runs past the end is a short read, and no buffer is allocated for it.
TEST(SavedCookies, LayoutRoundTripAndShortReads) {
  const SavedCookieRecord r = {u"\x4B41", u"f", "\x00\xFF"s, 0x0123456789ABCDEFull, 0xFEDCBA9876543210ull, 0x00100001};
  EXPECT_EQ(File({r}, 2), "\x02\0\0\0\x01\0\0\0\x41\x4B\x01\0\0\0\x66\0\x02\0\0\0\0\xFF\xEF\xCD\xAB\x89\x67\x45\x23\x01"
                          "\x10\x32\x54\x76\x98\xBA\xDC\xFE\x01\0\x10\0"s);
  const SavedCookieRecord big = {std::u16string(10, u'k'), std::u16string(20, u'f'), std::string(100, 'c'), 1, 2, 3};
  const std::vector<SavedCookieRecord> records = {big, {u"kkkkk", u"", "", 4, 5, 6}, r};
  bool ok = false;
  EXPECT_EQ(File(ReadAll(File(records, 3) + "old tail", &ok), 3), File(records, 3));
  EXPECT_TRUE(ok);

  const std::string one = File({big}, 1);
  for (size_t cut = 0; cut < one.size(); ++cut) EXPECT_FALSE((ReadAll(one.substr(0, cut), &ok), ok)) << cut;
  for (auto [offset, value] : {std::pair<size_t, uint32_t>{4, 0x7FFFFFFF}, {4, 0xFFFFFFFF}, {4, 11}, {28, 0x7FFFFFFF},
                               {28, 21}, {72, 0xFFFFFFFF}, {72, 101}}) {  // a length field's offset, its value
    std::string bytes = one;
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
    EXPECT_FALSE((ReadAll(bytes, &ok), ok)) << offset << " " << value;
  }
}

}  // namespace
}  // namespace bpriv
