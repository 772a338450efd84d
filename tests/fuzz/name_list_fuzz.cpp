// The favourite-cookie name list: whatever the file holds, the entries read
// from it hold no CR or U+0000, and written back behind one byte-order mark
// (which the reader skips, as it skips one an editor left) they read the same.
#include <string>

#include "data/name_list.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::u16string> entries = bpriv::ParseNameList(data, size);
  FUZZ_CHECK(entries.size() <= size / 4 + 1);
  std::string bytes = "\xFF\xFE";
  for (const std::u16string& entry : entries) {
    FUZZ_CHECK(entry.find(u'\r') == std::u16string::npos && entry.find(u'\0') == std::u16string::npos);
    bpriv::AppendNameListEntry(entry, &bytes);
  }
  FUZZ_CHECK(bpriv::ParseNameList(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) == entries);
  return 0;
}
