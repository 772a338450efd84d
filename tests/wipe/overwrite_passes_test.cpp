#include "wipe/overwrite_passes.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "wipe/wipe_algo.h"

namespace bpriv {

namespace {

struct WriteRecord {
  uint32_t pass;    // rewinds seen before it, minus one
  uint64_t offset;
  uint32_t length;
  uint8_t first;
};

// Stricter than an unbuffered Windows file: refuses any length that is not
// a whole number of sectors, and remembers where the file pointer is.
class CFakeTarget : public CWipeTarget {
 public:
  uint32_t sector = 512;
  std::vector<WriteRecord> writes;
  int rewinds = 0;
  int flushes = 0;
  bool misaligned = false;
  std::function<uint32_t(size_t index, uint32_t length)> on_write;  // optional override

  void Rewind() override {
    ++rewinds;
    offset_ = 0;
  }
  uint32_t Write(const uint8_t* data, uint32_t length) override {
    if (length % sector != 0) {
      misaligned = true;
      return 0;
    }
    uint32_t written = on_write ? on_write(writes.size(), length) : length;
    writes.push_back({static_cast<uint32_t>(rewinds - 1), offset_, length, data[0]});
    offset_ += written;
    return written;
  }
  void Flush() override { ++flushes; }

 private:
  uint64_t offset_ = 0;
};

// Passes through to another algorithm and records the chunk numbers it gets.
class CRecordingAlgo : public CWipeAlgo {
 public:
  explicit CRecordingAlgo(CWipeAlgo* inner, uint32_t passes = 0)
      : CWipeAlgo(0, 0), inner_(inner), passes_(passes) {}
  std::vector<uint32_t> chunks;
  const wchar_t* GetKey() const override { return L"recording"; }
  uint32_t GetPassCount() const override { return passes_ ? passes_ : inner_->GetPassCount(); }
  int FillPass(uint32_t pass, void* buffer, uint32_t length, uint32_t chunk) override {
    chunks.push_back(chunk);
    return inner_ ? inner_->FillPass(pass, buffer, length, chunk) : 1;
  }

 private:
  CWipeAlgo* inner_;
  uint32_t passes_;
};

int Overwrite(CFakeTarget& target, CWipeAlgo& algo, uint32_t granularity, uint64_t size,
        ProgressRecord* progress = nullptr) {
  std::vector<uint8_t> buffer(WipeBufferSize(granularity), 0x77);
  return OverwritePasses(target, algo, granularity, size, buffer.data(),
                         static_cast<uint32_t>(buffer.size()), progress);
}

TEST(OverwritePasses, GranularityAndBufferSize) {
  struct Case {
    uint32_t bytes_per_sector, sectors_per_cluster, options, granularity, buffer;
  };
  const Case cases[] = {
      {512, 8, 0, 512, 131072},         {512, 8, kWipeWholeClusters, 4096, 131072},
      {0, 0, 0, 512, 131072},           {0, 0, 0xFF, 4096, 131072},
      {512, 8, 0xEF, 512, 131072},      {4096, 64, 0x10, 262144, 262144},
      {3000, 1, 0, 3000, 132000},       {0x10000, 0x10000, 0x10, 512, 131072},
  };
  for (const Case& c : cases) {
    const uint32_t g = WriteGranularity(c.bytes_per_sector, c.sectors_per_cluster, c.options);
    EXPECT_EQ(g, c.granularity) << c.bytes_per_sector << " " << c.sectors_per_cluster;
    EXPECT_EQ(WipeBufferSize(g), c.buffer) << g;
  }
}

TEST(OverwritePasses, ChunksPerPass) {
  struct Case {
    uint64_t size;
    uint32_t granularity;
    CWipeAlgo* algo;
    std::vector<uint32_t> lengths;  // of every pass
  };
  const Case cases[] = {
      {100, 512, &g_zeroAlgo, {512}},
      {100, 4096, &g_zeroAlgo, {4096}},
      {300000, 512, &g_dod3Algo, {131072, 131072, 37888}},
      {262144, 512, &g_randomAlgo, {131072, 131072}},
      {0, 512, &g_dod7Algo, {}},
      {3001, 3000, &g_zeroAlgo, {6000}},
  };
  for (const Case& c : cases) {
    CFakeTarget target;
    target.sector = c.granularity;
    CRecordingAlgo algo(c.algo);
    ProgressRecord progress;
    EXPECT_EQ(Overwrite(target, algo, c.granularity, c.size, &progress), 1) << c.size;
    const uint32_t passes = algo.GetPassCount();
    EXPECT_FALSE(target.misaligned);
    EXPECT_EQ(target.rewinds, static_cast<int>(passes));
    EXPECT_EQ(target.flushes, static_cast<int>(passes));
    ASSERT_EQ(target.writes.size(), passes * c.lengths.size()) << c.size;
    uint64_t reported = 0;
    for (size_t i = 0; i < target.writes.size(); ++i) {
      const WriteRecord& w = target.writes[i];
      const size_t k = i % c.lengths.size();
      EXPECT_EQ(w.pass, i / c.lengths.size());
      EXPECT_EQ(w.length, c.lengths[k]) << c.size << " write " << i;
      EXPECT_EQ(algo.chunks[i], k);
      EXPECT_EQ(w.offset, k == 0 ? 0 : target.writes[i - 1].offset + target.writes[i - 1].length);
      reported += w.length / passes;
    }
    EXPECT_EQ(progress.bytes_done.load(), reported);
  }
}

TEST(OverwritePasses, GutmannPassSixCyclesOverFourChunks) {
  CFakeTarget target;
  EXPECT_EQ(Overwrite(target, g_gutmannAlgo, 512, 4 * 131072), 1);
  ASSERT_EQ(target.writes.size(), 35u * 4);
  const uint8_t expected[] = {0x92, 0x49, 0x24, 0x92};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(target.writes[6 * 4 + k].first, expected[k]) << k;
}

TEST(OverwritePasses, StopFlag) {
  {  // Set before the call: no chunk, one flush, the pass loop ends.
    CFakeTarget target;
    ProgressRecord progress;
    progress.stop_flag = 1;
    EXPECT_EQ(Overwrite(target, g_dod3Algo, 512, 100, &progress), 0);
    EXPECT_TRUE(target.writes.empty());
    EXPECT_EQ(target.flushes, 1);
    EXPECT_EQ(progress.bytes_done.load(), 0u);
  }
  {  // Set during the second chunk: that chunk is finished, then flush and end.
    CFakeTarget target;
    ProgressRecord progress;
    target.on_write = [&](size_t index, uint32_t length) {
      if (index == 1) progress.stop_flag = 1;
      return length;
    };
    EXPECT_EQ(Overwrite(target, g_dod3Algo, 512, 300000, &progress), 0);
    EXPECT_EQ(target.writes.size(), 2u);
    EXPECT_EQ(target.flushes, 1);
    EXPECT_EQ(progress.bytes_done.load(), 2u * (131072 / 3));
  }
}

TEST(OverwritePasses, FailedWriteResetsTheTotal) {
  struct Case {
    size_t failing_write;  // index of the write that writes nothing
    size_t writes;         // writes tried in all
    int result;
  };
  // 300000 bytes, 3 passes of 3 chunks. The failed write ends its pass and
  // forgets all before it; the passes after it still run.
  const Case cases[] = {{1, 8, 0}, {8, 9, 0}, {100, 9, 1}};
  for (const Case& c : cases) {
    CFakeTarget target;
    target.on_write = [&](size_t index, uint32_t length) {
      return index == c.failing_write ? 0u : length;
    };
    EXPECT_EQ(Overwrite(target, g_dod3Algo, 512, 300000), c.result) << c.failing_write;
    EXPECT_EQ(target.writes.size(), c.writes);
    EXPECT_EQ(target.rewinds, 3);
  }
}

TEST(OverwritePasses, FourGibibytesAreCoveredEveryPass) {
  const uint64_t kFourGiB = 4294967296ull;
  for (uint64_t size : {kFourGiB, kFourGiB + 100}) {
    CFakeTarget target;
    CRecordingAlgo algo(nullptr, 2);  // fills nothing: only the arithmetic counts
    EXPECT_EQ(Overwrite(target, algo, 512, size), 1);
    uint64_t per_pass[2] = {0, 0};
    for (const WriteRecord& w : target.writes) per_pass[w.pass] += w.length;
    const uint64_t covered = (size + 511) / 512 * 512;
    EXPECT_EQ(per_pass[0], covered);
    EXPECT_EQ(per_pass[1], covered);
  }
}

TEST(OverwritePasses, ExceptionEndsWithWhatWasWritten) {
  CFakeTarget target;
  target.on_write = [](size_t index, uint32_t length) -> uint32_t {
    if (index == 3) throw std::runtime_error("write");
    return length;
  };
  EXPECT_EQ(Overwrite(target, g_dod3Algo, 512, 300000), 0);
  EXPECT_EQ(target.writes.size(), 3u);
}

}  // namespace

}  // namespace bpriv
