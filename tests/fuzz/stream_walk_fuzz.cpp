// The stream-information answer: the walk stays inside the bytes it is given
// (ASan sees any read past them), and a refused answer leaves the list alone.
#include "fuzz_check.h"
#include "wipe/stream_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool remove_suffix = data[0] & 1;
  std::vector<bpriv::StreamEntry> streams = {{7, L"kept"}};
  const bool ok = bpriv::ReadStreamRecords(data + 1, size - 1, remove_suffix, &streams);
  if (!ok) {
    FUZZ_CHECK(streams.size() == 1 && streams[0].name == L"kept");
    return 0;
  }
  FUZZ_CHECK(streams.size() <= size - 1);  // every record moves on by one byte at least
  for (const bpriv::StreamEntry& s : streams) {
    FUZZ_CHECK(s.name.size() <= (size - 1) / 2);
    if (remove_suffix) FUZZ_CHECK(s.name.find(L":$") == std::wstring::npos);
  }
  return 0;
}
