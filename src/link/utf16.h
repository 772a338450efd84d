// Windows wide strings are UTF-16: views between the pure code's char16_t and
// the platform's wchar_t without copying.
#pragma once
#include <windows.h>

#include <cwchar>
#include <string>
#include <string_view>

namespace bpriv {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide strings are UTF-16");

inline std::u16string_view AsU16(const wchar_t* text) {
  return text ? std::u16string_view(reinterpret_cast<const char16_t*>(text), std::wcslen(text))
              : std::u16string_view();
}
inline const wchar_t* AsWide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

}  // namespace bpriv
