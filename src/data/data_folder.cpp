#include "data/data_folder.h"

#include <memory>

#include "base/unique.h"

namespace bpriv {
namespace {

// FOLDERID_LocalAppDataLow, {A520A1A4-1780-4FF6-BD18-167343C5AF16}.
constexpr KNOWNFOLDERID kLocalAppDataLow = {0xA520A1A4, 0x1780, 0x4FF6, {0xBD, 0x18, 0x16, 0x73, 0x43, 0xC5, 0xAF, 0x16}};

}  // namespace

std::wstring JoinFitting(const std::wstring& base, const std::wstring& tail) {
  if (base.empty() || base.size() + tail.size() >= MAX_PATH) return {};
  return base + tail;
}

KnownFolderPathFn FindKnownFolderPathFn() {
  HMODULE shell = ::GetModuleHandleW(L"Shell32");
  // The agent loads Shell32 at its first use, which may be this one; it then
  // stays loaded for the process.
  if (!shell) shell = ::LoadLibraryW(L"shell32.dll");
  if (!shell) return nullptr;
  return reinterpret_cast<KnownFolderPathFn>(reinterpret_cast<void*>(::GetProcAddress(shell, "SHGetKnownFolderPath")));
}

std::wstring BaseFolder(bool epm, KnownFolderPathFn known_folder) {
  if (epm) {
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, CSIDL_LOCAL_APPDATA, FALSE)) return {};
    return JoinFitting(path, L"");
  }
  if (!known_folder) return {};
  PWSTR raw = nullptr;
  const HRESULT hr = known_folder(kLocalAppDataLow, 0, nullptr, &raw);
  std::unique_ptr<wchar_t, CoTaskMemFreer> owned(raw);
  if (FAILED(hr) || !owned) return {};
  return JoinFitting(owned.get(), L"");
}

std::wstring CookieFolder() {
  wchar_t path[MAX_PATH] = {};
  if (!::SHGetSpecialFolderPathW(nullptr, path, CSIDL_COOKIES, FALSE)) return {};
  return path;
}

std::wstring ProductDataFolder(bool epm, KnownFolderPathFn known_folder) {
  return JoinFitting(BaseFolder(epm, known_folder), L"\\Brightsweep");
}

}  // namespace bpriv
