// The saved-cookies file: whatever it holds, the reader allocates no more than
// the file has, and every record it accepts is written back to the same bytes.
#include <string>

#include "data/saved_cookies.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  bpriv::CMemorySource source(data, size);
  uint32_t count = 0;
  if (!bpriv::ReadSavedCount(source, &count)) return 0;
  size_t at = 4;
  for (uint32_t i = 0; i < count; ++i) {
    bpriv::SavedCookieRecord record;
    if (!bpriv::ReadSavedRecord(source, &record)) break;
    std::string bytes;
    bpriv::AppendSavedRecord(record, &bytes);
    FUZZ_CHECK(bytes.size() <= size - at);
    FUZZ_CHECK(bytes.compare(0, bytes.size(), reinterpret_cast<const char*>(data) + at, bytes.size()) == 0);
    at += bytes.size();
    FUZZ_CHECK(source.Remaining() == size - at);
  }
  return 0;
}
