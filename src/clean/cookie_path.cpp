#include "clean/cookie_path.h"

#include "safe/safe_path.h"

namespace bpriv {

bool IsCookieKey(std::u16string_view key) { return SameAsciiNoCase(key.substr(0, 7), u"Cookie:"); }

bool IsPlainPathInside(std::u16string_view path, std::u16string_view folder) {
  constexpr size_t kMaxPath = 260;
  return path.size() < kMaxPath && IsAbsoluteFolder(folder) && NamesBelow(folder, path, SameAsciiNoCase);
}

bool IsCookieFilePath(std::u16string_view path, std::u16string_view cookie_folder) {
  const std::u16string_view name = path.substr(path.find_last_of(u'\\') + 1);
  return IsPlainPathInside(path, cookie_folder) && name.size() > 4 &&
         SameAsciiNoCase(name.substr(name.size() - 4), u".txt");
}

}  // namespace bpriv
