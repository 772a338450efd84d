#include "clean/cookie_path.h"

namespace bpriv {
namespace {

char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool SameNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

bool IsDriveForm(std::u16string_view path) {
  return path.size() >= 3 && AsciiUpper(path[0]) >= u'A' && AsciiUpper(path[0]) <= u'Z' && path[1] == u':' &&
         path[2] == u'\\';
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, with any extension:
// Win32 opens the device for these names in every folder.
bool IsDeviceName(std::u16string_view component) {
  std::u16string_view stem = component.substr(0, component.find(u'.'));
  while (!stem.empty() && stem.back() == u' ') stem.remove_suffix(1);
  for (std::u16string_view name : {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"})
    if (SameNoCase(stem, name)) return true;
  return stem.size() == 4 && (SameNoCase(stem.substr(0, 3), u"COM") || SameNoCase(stem.substr(0, 3), u"LPT")) &&
         stem[3] >= u'0' && stem[3] <= u'9';
}

bool IsPlainComponent(std::u16string_view c) {
  if (c.empty() || c.back() == u'.' || c.back() == u' ') return false;  // also "." and ".."
  for (char16_t ch : c)
    if (ch < 0x20 || ch == u'/' || ch == u':' || ch == u'*' || ch == u'?' || ch == u'"' || ch == u'<' ||
        ch == u'>' || ch == u'|')
      return false;
  return !IsDeviceName(c);
}

}  // namespace

bool IsCookieKey(std::u16string_view key) { return SameNoCase(key.substr(0, 7), u"Cookie:"); }

bool IsPlainPathInside(std::u16string_view path, std::u16string_view folder) {
  constexpr size_t kMaxPath = 260;
  while (folder.size() > 3 && folder.back() == u'\\') folder.remove_suffix(1);
  if (!IsDriveForm(folder) || !IsDriveForm(path) || path.size() >= kMaxPath) return false;
  const size_t start = folder.size() == 3 ? 3 : folder.size() + 1;
  if (path.size() <= start || !SameNoCase(path.substr(0, folder.size()), folder) || path[start - 1] != u'\\')
    return false;
  for (size_t pos = start;;) {
    const size_t slash = path.find(u'\\', pos);
    if (!IsPlainComponent(path.substr(pos, slash - pos))) return false;
    if (slash == std::u16string_view::npos) return true;
    pos = slash + 1;
  }
}

}  // namespace bpriv
