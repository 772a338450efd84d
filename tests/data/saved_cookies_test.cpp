#include "data/saved_cookies.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A length field of a tampered file must never turn into a huge allocation:
// under the sanitizer, one above 1 GiB ends the test program.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options() { return "max_allocation_size_mb=1024"; }
#endif

namespace bpriv {
namespace {

SavedCookieRecord Record(size_t u, size_t f, size_t c) {
  SavedCookieRecord r;
  r.url = std::u16string(u, u'k');
  r.file_name = std::u16string(f, u'f');
  r.content = std::string(c, 'c');
  r.expire_time = 0x0123456789ABCDEFull;
  r.last_modified = 0xFEDCBA9876543210ull;
  r.type = 0x00100001;
  return r;
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
  for (SavedCookieRecord r; *ok && records.size() < count; records.push_back(r)) *ok = ReadSavedRecord(source, &r);
  if (!*ok && !records.empty()) records.pop_back();
  return records;
}

TEST(SavedCookies, SizesLayoutAndRoundTrip) {
  EXPECT_EQ(File({Record(10, 20, 100)}, 1).size(), 196u);
  EXPECT_EQ(File({Record(7, 0, 50)}, 1).size(), 4u + 28 + 14) << "no content field without a file name";

  SavedCookieRecord r = Record(1, 1, 2);
  r.url = u"\x4B41";
  r.content.assign("\x00\xFF", 2);
  const std::string expected(
      "\x02\x00\x00\x00"                  // count
      "\x01\x00\x00\x00\x41\x4B"          // URL
      "\x01\x00\x00\x00\x66\x00"          // file name
      "\x02\x00\x00\x00\x00\xFF"          // content
      "\xEF\xCD\xAB\x89\x67\x45\x23\x01"  // expire time first
      "\x10\x32\x54\x76\x98\xBA\xDC\xFE"  // then last modified
      "\x01\x00\x10\x00",                 // type
      4 + 6 + 6 + 6 + 8 + 8 + 4);
  EXPECT_EQ(File({r}, 2), expected);

  const std::vector<SavedCookieRecord> records = {Record(10, 20, 100), Record(5, 0, 0), r};
  bool ok = false;
  const std::vector<SavedCookieRecord> got = ReadAll(File(records, 3) + "old tail", &ok);
  ASSERT_TRUE(ok);
  ASSERT_EQ(got.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(File({got[i]}, 1), File({records[i]}, 1)) << i;
}

// Every cut and every length that runs past the end is a short read, and no
// buffer is allocated for it (see the allocation limit above).
TEST(SavedCookies, ShortAndOverlongInputsFail) {
  const std::string one = File({Record(10, 20, 100)}, 1);
  bool ok = true;
  for (size_t cut = 0; cut < one.size(); ++cut) {
    ReadAll(one.substr(0, cut), &ok);
    EXPECT_FALSE(ok) << "cut at " << cut;
  }
  struct {
    size_t offset;  // of the length field within the file
    uint32_t value;
  } lengths[] = {{4, 0x7FFFFFFF}, {4, 0xFFFFFFFF}, {4, 11}, {28, 0x7FFFFFFF}, {28, 21}, {72, 0xFFFFFFFF}, {72, 101}};
  for (const auto& l : lengths) {
    std::string bytes = one;
    for (int i = 0; i < 4; ++i) bytes[l.offset + i] = static_cast<char>((l.value >> (8 * i)) & 0xFF);
    ReadAll(bytes, &ok);
    EXPECT_FALSE(ok) << "length " << l.value << " at " << l.offset;
  }
  // A count larger than the records present: the ones there are read, then a short read.
  EXPECT_EQ(ReadAll(File({Record(2, 2, 2), Record(3, 0, 0)}, 3), &ok).size(), 2u);
  EXPECT_FALSE(ok);
}

}  // namespace
}  // namespace bpriv
