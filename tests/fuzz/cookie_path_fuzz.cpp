// The restore's path check: a path it accepts lies under the cookie folder,
// is shorter than MAX_PATH and climbs nowhere.
#include <string>

#include "clean/cookie_path.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string folder = u"C:\\Users\\u\\AppData\\Local\\Microsoft\\Windows\\INetCookies";
  std::u16string path = folder;
  for (size_t i = 0; i + 1 < size; i += 2) path += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  if (!bpriv::IsPlainPathInside(path, folder)) return 0;
  FUZZ_CHECK(path.size() < 260 && path.size() > folder.size() + 1 && path[folder.size()] == u'\\');
  for (size_t at = folder.size(); at != std::u16string::npos;) {  // no component is "." or ".."
    const size_t next = path.find(u'\\', at + 1);
    const std::u16string part = path.substr(at + 1, next == std::u16string::npos ? std::u16string::npos : next - at - 1);
    FUZZ_CHECK(part != u"." && part != u"..");
    at = next;
  }
  FUZZ_CHECK(path.find(u'/') == std::u16string::npos && path.find(u':', 2) == std::u16string::npos);
  return 0;
}
