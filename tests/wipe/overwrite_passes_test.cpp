// The pass loop against a strict fake file, and the progress text it shows.
#include "wipe/overwrite_passes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "wipe/progress_text.h"
#include "wipe/wipe_algo.h"

namespace bpriv {
namespace {

struct WriteRecord {
  int pass;  // rewinds seen before it, minus one
  uint64_t offset;
  uint32_t length, chunk;
  uint8_t first;
};

// Stricter than an unbuffered Windows file: refuses lengths that are not whole
// sectors. Records each write with the chunk number the algorithm was given.
class CFakeTarget : public CWipeTarget, public CWipeAlgo {
 public:
  explicit CFakeTarget(CWipeAlgo* algo, uint32_t passes = 0) : CWipeAlgo(0, 0), algo_(algo), passes_(passes) {}
  uint32_t sector = 512;
  std::vector<WriteRecord> writes;
  int rewinds = 0, flushes = 0;
  std::function<uint32_t(size_t index, uint32_t length)> on_write = [](size_t, uint32_t length) { return length; };

  void Rewind() override { ++rewinds, offset_ = 0; }
  void Flush() override { ++flushes; }
  uint32_t Write(const uint8_t* data, uint32_t length) override {
    if (length % sector != 0) ADD_FAILURE() << "length " << length;
    const uint32_t written = on_write(writes.size(), length);
    writes.push_back({rewinds - 1, offset_, length, chunk_, data[0]});
    offset_ += written;
    return written;
  }
  const wchar_t* GetKey() const override { return L"recording"; }
  uint32_t GetPassCount() const override { return passes_ ? passes_ : algo_->GetPassCount(); }
  int FillPass(uint32_t pass, void* buffer, uint32_t length, uint32_t chunk) override {
    chunk_ = chunk;
    return algo_ ? algo_->FillPass(pass, buffer, length, chunk) : 1;
  }
  int Run(uint32_t granularity, uint64_t size, ProgressRecord* progress = nullptr) {
    std::vector<uint8_t> buffer(WipeBufferSize(granularity), 0x77);
    return OverwritePasses(*this, *this, granularity, size, buffer.data(), static_cast<uint32_t>(buffer.size()),
                           progress);
  }

 private:
  CWipeAlgo* algo_;
  uint32_t passes_;
  uint64_t offset_ = 0;
  uint32_t chunk_ = 0;
};

TEST(OverwritePasses, GranularityAndBufferSize) {
  const uint32_t cases[][5] = {  // per sector, per cluster, options -> granularity, buffer
      {512, 8, 0, 512, 131072},         {512, 8, kWipeWholeClusters, 4096, 131072}, {0, 0, 0xFF, 4096, 131072},
      {512, 8, 0xEF, 512, 131072},      {4096, 64, 0x10, 262144, 262144},           {3000, 1, 0, 3000, 132000},
      {0x10000, 0x10000, 0x10, 512, 131072}};
  for (const auto& c : cases) {
    EXPECT_EQ(WriteGranularity(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1];
    EXPECT_EQ(WipeBufferSize(c[3]), c[4]) << c[3];
  }
}

TEST(OverwritePasses, ChunksOfEveryPass) {
  const struct {
    uint64_t size;
    uint32_t granularity;
    CWipeAlgo* algo;
    std::vector<uint32_t> lengths;  // of each pass
  } cases[] = {{1, 512, &g_zeroAlgo, {512}},          {100, 512, &g_zeroAlgo, {512}},
               {100, 4096, &g_zeroAlgo, {4096}},      {300000, 512, &g_dod3Algo, {131072, 131072, 37888}},
               {0, 512, &g_dod7Algo, {}},             {3001, 3000, &g_zeroAlgo, {6000}},
               {4 * 131072, 512, &g_gutmannAlgo, {131072, 131072, 131072, 131072}}};
  for (const auto& c : cases) {
    CFakeTarget target(c.algo);
    target.sector = c.granularity;
    ProgressRecord progress;
    EXPECT_EQ(target.Run(c.granularity, c.size, &progress), 1) << c.size;
    const uint32_t passes = c.algo->GetPassCount();
    EXPECT_EQ(target.rewinds, static_cast<int>(passes));
    EXPECT_EQ(target.flushes, static_cast<int>(passes));
    ASSERT_EQ(target.writes.size(), passes * c.lengths.size()) << c.size;
    uint64_t reported = 0;
    for (size_t i = 0; i < target.writes.size(); ++i) {
      const WriteRecord& w = target.writes[i];
      const size_t k = i % c.lengths.size();
      EXPECT_EQ(w.pass, static_cast<int>(i / c.lengths.size()));
      EXPECT_EQ(w.length, c.lengths[k]) << c.size << " write " << i;
      EXPECT_EQ(w.chunk, k);
      EXPECT_EQ(w.offset, k == 0 ? 0 : target.writes[i - 1].offset + target.writes[i - 1].length);
      reported += w.length / passes;
      const uint8_t pass6[] = {0x92, 0x49, 0x24, 0x92};  // Gutmann's pass 6 cycles by chunk
      EXPECT_TRUE(c.algo != &g_gutmannAlgo || w.pass != 6 || w.first == pass6[k]) << k;
    }
    EXPECT_EQ(progress.bytes_done.load(), reported);
  }
}

TEST(OverwritePasses, StopAndFailedWrites) {
  const struct {
    const char* what;
    uint64_t size;
    int stop_at;  // write that sets the stop flag; 0 = before the call, -1 never
    int fail_at;  // write that writes nothing (or one byte short), -1 never
    bool short_write;
    size_t writes;
    int flushes, result;
  } cases[] = {  // 300000 bytes: three passes of three chunks; 100 bytes: three of one
      {"stop before the call", 300000, 0, -1, false, 0, 1, 0},
      {"stop in the second chunk", 300000, 2, -1, false, 2, 1, 0},
      {"failed write ends its pass only", 300000, -1, 1, false, 8, 3, 0},
      {"failed last write", 300000, -1, 8, false, 9, 3, 0},
      // The earlier passes alone wrote more than the size: the failure must still count.
      {"small file, failed last pass", 100, -1, 2, false, 3, 3, 0},
      {"last write one byte short", 512, -1, 2, true, 3, 3, 0},
      {"all written", 300000, -1, -1, false, 9, 3, 1},
  };
  for (const auto& c : cases) {
    CFakeTarget target(&g_dod3Algo);
    ProgressRecord progress;
    progress.stop_flag = c.stop_at == 0;
    target.on_write = [&](size_t index, uint32_t length) {
      if (static_cast<int>(index) + 1 == c.stop_at) progress.stop_flag = 1;
      if (static_cast<int>(index) != c.fail_at) return length;
      return c.short_write ? length - 1 : 0u;
    };
    EXPECT_EQ(target.Run(512, c.size, &progress), c.result) << c.what;
    EXPECT_EQ(target.writes.size(), c.writes) << c.what;
    EXPECT_EQ(target.flushes, c.flushes) << c.what;
  }
  CFakeTarget one_pass(&g_zeroAlgo);  // a single pass over one byte, and it fails
  one_pass.on_write = [](size_t, uint32_t) { return 0u; };
  EXPECT_EQ(one_pass.Run(512, 1), 0);
}

TEST(OverwritePasses, FourGibibytesAreCoveredEveryPass) {  // 64-bit sizes
  for (uint64_t size : {4294967296ull, 4294967296ull + 100}) {
    CFakeTarget target(nullptr, 2);  // fills nothing: only the counting matters
    EXPECT_EQ(target.Run(512, size), 1);
    uint64_t per_pass[2] = {0, 0};
    for (const WriteRecord& w : target.writes) per_pass[w.pass] += w.length;
    EXPECT_EQ(per_pass[0], (size + 511) / 512 * 512);
    EXPECT_EQ(per_pass[1], per_pass[0]);
  }
}

// One record throughout, each text shorter than the one before: a missing
// terminator would leave the previous tail. A cut never starts on a low
// surrogate (UTF-16 units), so one more unit goes.
TEST(ProgressText, FitsOrKeepsTheEndWithoutALowSurrogate) {
  ProgressRecord record;
  record.heading[0] = u'h';  // the field behind must stay as it is
  const struct {
    size_t length;
    char16_t first_kept;  // the unit where the kept end would start
    size_t kept;
  } cases[] = {{1000, u'x', 256}, {300, 0xDC00, 255}, {300, 0xDFFF, 255}, {300, 0xDBFF, 256},
               {300, 0xE000, 256}, {260, u'x', 256}, {259, u'x', 259}, {3, u'x', 3}, {0, u'x', 0}};
  for (const auto& c : cases) {
    std::u16string text;
    for (size_t i = 0; i < c.length; ++i) text.push_back(static_cast<char16_t>(u'a' + i % 26));
    if (c.length > 259) text[c.length - 256] = c.first_kept;
    SetProgressText(record.current_item, text.data(), text.size());
    const std::u16string kept = text.substr(c.length - c.kept);
    EXPECT_EQ(std::u16string(record.current_item), c.length > 259 ? u"..." + kept : kept) << c.length;
    EXPECT_EQ(record.heading[0], u'h');
  }
}

}  // namespace
}  // namespace bpriv
