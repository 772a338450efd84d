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

// Reads like the restore: the count, then records while they last.
struct ReadResult {
  bool count_ok = false;
  std::vector<SavedCookieRecord> records;
  bool all_ok = true;
};
ReadResult ReadAll(const std::string& bytes) {
  std::vector<uint8_t> exact(bytes.begin(), bytes.end());  // the sanitizer sees reads past the end
  CMemorySource source(exact.data(), exact.size());
  ReadResult result;
  uint32_t count = 0;
  result.count_ok = ReadSavedCount(source, &count);
  for (uint32_t i = 0; result.count_ok && i < count; ++i) {
    SavedCookieRecord r;
    if (!ReadSavedRecord(source, &r)) {
      result.all_ok = false;
      break;
    }
    result.records.push_back(r);
  }
  return result;
}

TEST(SavedCookies, SizesAndTheByteLayout) {
  EXPECT_EQ(File({Record(10, 20, 100)}, 1).size(), 196u);
  EXPECT_EQ(SavedRecordSize(Record(10, 20, 100)), 192u);
  EXPECT_EQ(SavedRecordSize(Record(7, 0, 0)), 28u + 14);
  EXPECT_EQ(File({Record(7, 0, 50)}, 1).size(), 4u + 28 + 14) << "no content field without a file name";
  EXPECT_EQ(File({Record(3, 2, 0)}, 1).size(), 4u + 32 + 6 + 4);

  SavedCookieRecord r = Record(1, 1, 2);
  r.url = u"\x4B41";
  r.file_name = u"F";
  r.content = "\x00\xFF";
  r.content.assign("\x00\xFF", 2);
  const std::string expected(
      "\x02\x00\x00\x00"                          // count
      "\x01\x00\x00\x00\x41\x4B"                  // URL
      "\x01\x00\x00\x00\x46\x00"                  // file name
      "\x02\x00\x00\x00\x00\xFF"                  // content
      "\xEF\xCD\xAB\x89\x67\x45\x23\x01"          // expire time first
      "\x10\x32\x54\x76\x98\xBA\xDC\xFE"          // then last modified
      "\x01\x00\x10\x00",                         // type
      4 + 6 + 6 + 6 + 8 + 8 + 4);
  EXPECT_EQ(File({r}, 2), expected);
}

TEST(SavedCookies, RoundTripKeepsEveryField) {
  std::vector<SavedCookieRecord> records = {Record(10, 20, 100), Record(5, 0, 0), Record(1, 3, 0)};
  records[0].content[7] = '\0';
  records[1].expire_time = 1;
  records[2].type = 0xFFFFFFFF;
  const ReadResult got = ReadAll(File(records, 3) + "old tail");
  ASSERT_TRUE(got.count_ok && got.all_ok);
  ASSERT_EQ(got.records.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(got.records[i].url, records[i].url) << i;
    EXPECT_EQ(got.records[i].file_name, records[i].file_name) << i;
    EXPECT_EQ(got.records[i].content, records[i].content) << i;
    EXPECT_EQ(got.records[i].expire_time, records[i].expire_time) << i;
    EXPECT_EQ(got.records[i].last_modified, records[i].last_modified) << i;
    EXPECT_EQ(got.records[i].type, records[i].type) << i;
  }
}

// Every cut and every length that runs past the end is a short read, and no
// buffer is allocated for it (see the allocation limit above).
TEST(SavedCookies, ShortAndOverlongInputsFail) {
  const std::string one = File({Record(10, 20, 100)}, 1);
  for (size_t cut = 4; cut < one.size(); ++cut)
    EXPECT_FALSE(ReadAll(one.substr(0, cut)).all_ok) << "cut at " << cut;
  EXPECT_FALSE(ReadAll("\x01\x00\x00").count_ok);

  struct {
    size_t offset;  // of the length field within the file
    uint32_t value;
  } lengths[] = {{4, 0x7FFFFFFF}, {4, 0xFFFFFFFF}, {4, 11}, {28, 0x7FFFFFFF}, {28, 21},
                 {72, 0x7FFFFFFF}, {72, 0xFFFFFFFF}, {72, 101}};
  for (const auto& l : lengths) {
    std::string bytes = one;
    for (int i = 0; i < 4; ++i) bytes[l.offset + i] = static_cast<char>((l.value >> (8 * i)) & 0xFF);
    EXPECT_FALSE(ReadAll(bytes).all_ok) << "length " << l.value << " at " << l.offset;
  }
  // A count larger than the records present: the ones there are read, then a short read.
  const ReadResult more = ReadAll(File({Record(2, 2, 2), Record(3, 0, 0)}, 3));
  EXPECT_FALSE(more.all_ok);
  EXPECT_EQ(more.records.size(), 2u);
}

}  // namespace
}  // namespace bpriv
