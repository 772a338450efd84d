// Which cookies a cookie clean spares: the favourites, compared by name the
// way the C runtime's case-insensitive compare does in the "C" locale (only
// the letters A to Z fold). Pure code.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace bpriv {

// True when both texts are equal once the letters A to Z are folded.
bool EqualIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);

// The cookie's name for the favourite comparison: the key without a leading
// "Cookie:" in any letter case, when something follows it; else the whole key.
std::wstring_view CookieNameOfKey(std::wstring_view key);

// Whether the cache key names one of the favourites.
bool IsFavouriteCookie(std::wstring_view key, const std::vector<std::wstring>& favourites);

}  // namespace bpriv
