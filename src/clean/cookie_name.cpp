#include "clean/cookie_name.h"

namespace bpriv {
namespace {

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

constexpr std::wstring_view kCookiePrefix = L"Cookie:";

}  // namespace

bool EqualIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

std::wstring_view CookieNameOfKey(std::wstring_view key) {
  if (key.size() > kCookiePrefix.size() && EqualIgnoringAsciiCase(key.substr(0, kCookiePrefix.size()), kCookiePrefix))
    return key.substr(kCookiePrefix.size());
  return key;
}

bool IsFavouriteCookie(std::wstring_view key, const std::vector<std::wstring>& favourites) {
  const std::wstring_view name = CookieNameOfKey(key);
  for (const std::wstring& favourite : favourites)
    if (EqualIgnoringAsciiCase(name, favourite)) return true;
  return false;
}

}  // namespace bpriv
