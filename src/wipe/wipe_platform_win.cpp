#include "wipe/wipe_platform_win.h"

#include <windows.h>

#include "wipe/algo_registry.h"
#include "wipe/random.h"
#include "wipe/seed_inputs_win.h"

namespace bpriv {

bool CResourceStringTable::Load(uint32_t id, std::wstring* text) {
  // Length 0 asks for a pointer into the resource itself: no buffer to size.
  const wchar_t* resource = nullptr;
  const int length = ::LoadStringW(::GetModuleHandleW(nullptr), id,
                                   reinterpret_cast<LPWSTR>(&resource), 0);
  if (length <= 0 || resource == nullptr) return false;
  text->assign(resource, static_cast<size_t>(length));
  return true;
}

void InstallWipePlatform() {
  static CResourceStringTable strings;
  if (GetStringTable() == nullptr) SetStringTable(&strings);
  if (GetSeedInputsReader() == nullptr) SetSeedInputsReader(&ReadPlatformSeedInputs);
}

int InitWipeAlgos() {
  InstallWipePlatform();
  RegisterBuiltinAlgos();
  return GetAlgoCount() != 0 ? 1 : 0;
}

}  // namespace bpriv
