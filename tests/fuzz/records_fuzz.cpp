// The texts a listing hands on: records and the cookie export block, built
// from names and URLs the cache and the History folder supply. Input: two
// 32-bit numbers, then UTF-16LE fields separated by U+0001.
#include <cstring>
#include <string>
#include <vector>

#include "cache/cookie_export.h"
#include "fuzz_check.h"
#include "link/record_format.h"

namespace {

std::u16string Decimal(int64_t v) {
  const std::string s = std::to_string(v);
  return std::u16string(s.begin(), s.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  uint32_t n[2];
  std::memcpy(n, data, sizeof n);
  const int32_t number = static_cast<int32_t>(n[0]);
  std::vector<std::u16string> f(1);
  for (size_t i = 8; i + 1 < size; i += 2) {
    const char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (unit == 1) f.emplace_back(); else f.back().push_back(unit);
  }
  f.resize(4);
  const std::u16string head = u"PRIVILEGE 00 " + Decimal(number) + u" ";

  const std::u16string item = bpriv::FormatFolderItemRecord(number, static_cast<int32_t>(n[1]), f[0]);
  FUZZ_CHECK(item == head + Decimal(static_cast<int32_t>(n[1])) + u" " + f[0].substr(0, 259));

  // A line break in the file name or the key would forge export lines.
  const std::u16string cache = head + u"\"" + f[2] + u"\" " + f[3];
  const bool breaks = (f[2] + f[3]).find_first_of(u"\r\n") != std::u16string::npos;
  const auto file = bpriv::FormatFileRecord(number, f[2], f[3], bpriv::kCookieRecordMaxUnits);
  FUZZ_CHECK(file.has_value() == (!breaks && cache.size() <= bpriv::kCookieRecordMaxUnits));
  if (file) FUZZ_CHECK(*file == cache);

  const std::u16string_view name = bpriv::CookieNameOf(f[3]);
  FUZZ_CHECK(name == f[3] ||
             (f[3].compare(0, 7, u"Cookie:") == 0 && name == std::u16string_view(f[3]).substr(7) && !name.empty()));

  std::string bytes = "x";
  bpriv::AppendCookieExportBlock(name, f[2], f[0], f[1], &bytes);
  const std::u16string text = u"<URL>" + std::u16string(name) + u"</URL>\r\n<FILE>" + f[2] + u"</FILE>\r\n<EXPIRETIME>" +
                              f[0] + u"</EXPIRETIME>\r\n<LASTACCESSTIME>" + f[1] + u"</LASTACCESSTIME>\r\n";
  std::u16string units;  // the bytes after the "x" read back as UTF-16LE
  for (size_t i = 1; i + 1 < bytes.size(); i += 2)
    units.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8));
  FUZZ_CHECK(bytes.size() % 2 == 1 && units == text);
  return 0;
}
