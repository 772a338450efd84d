#include "clean/cookie_path.h"

#include "safe/safe_path.h"

namespace bpriv {

bool IsCookieKey(std::u16string_view key) { return SameAsciiNoCase(key.substr(0, 7), u"Cookie:"); }

bool IsPlainPathInside(std::u16string_view path, std::u16string_view folder) {
  constexpr size_t kMaxPath = 260;
  return path.size() < kMaxPath && IsAbsoluteFolder(folder) && NamesBelow(folder, path, SameAsciiNoCase);
}

}  // namespace bpriv
