#include <windows.h>

#include <string>

#include "wipe/file_wiper_win.h"
#include "wipe/string_table.h"
#include "base/unique.h"

namespace bpriv {

namespace {

struct LocalTraits {  // FormatMessageW's allocated text
  using Type = HLOCAL;
  static HLOCAL Invalid() noexcept { return nullptr; }
  static void Close(HLOCAL h) noexcept { ::LocalFree(h); }
};
using UniqueLocal = Unique<LocalTraits>;

constexpr uint32_t kIdsWipeErrorCaption = 105;
constexpr DWORD kMessageFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
constexpr UINT kBoxStyle = MB_ICONERROR | MB_SYSTEMMODAL;

}  // namespace

bool ShowSystemError(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(kMessageFlags, nullptr, error,
                                        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  UniqueLocal owner(text);
  if (length == 0 || text == nullptr || text[0] == L'\0') return false;
  std::wstring caption;
  CStringTable* strings = GetStringTable();
  if (strings == nullptr || !strings->Load(kIdsWipeErrorCaption, &caption) || caption.empty()) {
    // The resource should carry the caption; never show a box without one.
    caption = L"Brightsweep";
  }
  ::MessageBoxW(nullptr, text, caption.c_str(), kBoxStyle);
  return true;
}

}  // namespace bpriv
