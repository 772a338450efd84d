#include "cache/cookie_export.h"

#include "data/name_list.h"

namespace bpriv {

std::u16string_view CookieNameOf(std::u16string_view key) {
  constexpr std::u16string_view kPrefix = u"Cookie:";
  if (key.size() > kPrefix.size() && key.substr(0, kPrefix.size()) == kPrefix) return key.substr(kPrefix.size());
  return key;
}

std::optional<std::u16string> FormatFileRecord(int32_t listing_number, std::u16string_view local_file,
                                               std::u16string_view key, size_t max_units) {
  constexpr std::u16string_view kLineBreaks = u"\r\n";
  if (local_file.find_first_of(kLineBreaks) != local_file.npos || key.find_first_of(kLineBreaks) != key.npos)
    return std::nullopt;
  const std::string number = std::to_string(listing_number);
  std::u16string text = u"PRIVILEGE 00 ";
  text.append(number.begin(), number.end());
  text += u" \"";
  text += local_file;
  text += u"\" ";
  text += key;
  if (text.size() > max_units) return std::nullopt;
  return text;
}

void AppendCookieExportBlock(std::u16string_view name, std::u16string_view local_file, std::u16string_view expire,
                             std::u16string_view last_access, std::string* bytes) {
  auto line = [bytes](std::u16string_view open, std::u16string_view value, std::u16string_view close) {
    AppendUtf16Le(open, bytes);
    AppendUtf16Le(value, bytes);
    AppendUtf16Le(close, bytes);
    AppendUtf16Le(u"\r\n", bytes);
  };
  line(u"<URL>", name, u"</URL>");
  line(u"<FILE>", local_file, u"</FILE>");
  line(u"<EXPIRETIME>", expire, u"</EXPIRETIME>");
  line(u"<LASTACCESSTIME>", last_access, u"</LASTACCESSTIME>");
}

}  // namespace bpriv
