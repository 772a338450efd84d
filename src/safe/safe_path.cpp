#include "safe/safe_path.h"

namespace bpriv {
namespace {

char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && SameAsciiNoCase(text.substr(0, prefix.size()), prefix);
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, with any extension:
// Win32 opens the device for these names in every folder.
bool IsDeviceName(std::u16string_view name) {
  std::u16string_view stem = name.substr(0, name.find(u'.'));
  while (!stem.empty() && stem.back() == u' ') stem.remove_suffix(1);
  for (std::u16string_view device : {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"})
    if (SameAsciiNoCase(stem, device)) return true;
  return stem.size() == 4 && (SameAsciiNoCase(stem.substr(0, 3), u"COM") || SameAsciiNoCase(stem.substr(0, 3), u"LPT")) &&
         stem[3] >= u'0' && stem[3] <= u'9';
}

bool IsDrive(std::u16string_view path) {
  return path.size() >= 3 && AsciiUpper(path[0]) >= u'A' && AsciiUpper(path[0]) <= u'Z' && path[1] == u':' &&
         path[2] == u'\\';
}

// "server\share" at the start of `path`, each a plain name.
bool IsServerShare(std::u16string_view path) {
  const size_t slash = path.find(u'\\');
  if (slash == path.npos || !IsPlainComponent(path.substr(0, slash))) return false;
  const std::u16string_view rest = path.substr(slash + 1);
  return IsPlainComponent(rest.substr(0, rest.find(u'\\')));
}

}  // namespace

bool SameAsciiNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

bool IsPlainComponent(std::u16string_view name) {
  if (name.empty() || name.back() == u'.' || name.back() == u' ') return false;  // also "." and ".."
  for (char16_t c : name)
    if (c < 0x20 || c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' ||
        c == u'>' || c == u'|')
      return false;
  return !IsDeviceName(name);
}

bool IsAbsoluteFolder(std::u16string_view folder) {
  if (StartsWith(folder, u"\\\\?\\UNC\\")) return IsServerShare(folder.substr(8));
  if (StartsWith(folder, u"\\\\?\\")) return IsDrive(folder.substr(4));
  if (StartsWith(folder, u"\\\\")) return IsServerShare(folder.substr(2));
  return IsDrive(folder);
}

std::optional<std::vector<std::u16string_view>> NamesBelow(std::u16string_view anchor, std::u16string_view path,
                                                           SameNameFn same) {
  while (!anchor.empty() && anchor.back() == u'\\') anchor.remove_suffix(1);
  if (anchor.empty() || path.size() <= anchor.size() + 1 || path[anchor.size()] != u'\\' ||
      !same(path.substr(0, anchor.size()), anchor))
    return std::nullopt;
  std::vector<std::u16string_view> names;
  for (size_t pos = anchor.size() + 1;;) {
    const size_t slash = path.find(u'\\', pos);
    names.push_back(path.substr(pos, slash - pos));
    if (!IsPlainComponent(names.back())) return std::nullopt;
    if (slash == path.npos) return names;
    pos = slash + 1;
  }
}

bool IsFinalPathBelow(std::u16string_view final_path, std::u16string_view anchor_final,
                      const std::vector<std::u16string_view>& names, SameNameFn same) {
  while (!anchor_final.empty() && anchor_final.back() == u'\\') anchor_final.remove_suffix(1);
  if (anchor_final.empty() || final_path.size() < anchor_final.size() ||
      !same(final_path.substr(0, anchor_final.size()), anchor_final))
    return false;
  std::u16string_view rest = final_path.substr(anchor_final.size());
  for (std::u16string_view name : names) {
    if (rest.empty() || rest[0] != u'\\' || rest.size() < name.size() + 1 || !same(rest.substr(1, name.size()), name))
      return false;
    rest.remove_prefix(name.size() + 1);
  }
  return rest.empty();
}

}  // namespace bpriv
