// The agent's own resources, read from BPrivSvc.exe as the shell and the
// dialog code read them.
#include <gtest/gtest.h>

#include <string>

#include "resource.h"
#include "support/run_process.h"

namespace bpriv {
namespace {

TEST(AgentResources, ImageHoldsEveryResourceKindAndTheTextsCodeAndUserDependOn) {
  const HMODULE image = ::LoadLibraryExW(test::BesideTests(L"BPrivSvc.exe").c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr) << ::GetLastError();
  const std::pair<const wchar_t*, UINT> kinds[] = {
      {RT_MANIFEST, 1}, {RT_VERSION, 1}, {RT_DIALOG, IDD_WIPE_PROGRESS}, {RT_GROUP_ICON, IDI_AGENT},
      {L"AVI", IDR_BUSY_AVI}};
  for (const auto& [type, id] : kinds) EXPECT_NE(::FindResourceW(image, MAKEINTRESOURCEW(id), type), nullptr) << id;
  const auto text = [&](UINT id) {
    const wchar_t* s = nullptr;
    return std::wstring(s, ::LoadStringW(image, id, reinterpret_cast<LPWSTR>(&s), 0));
  };
  // The byte counts are formatted with two %s. The wiped one, the algorithm names and their descriptions are read
  // from the same resources by the progress dialog's and the algorithm registry's tests.
  EXPECT_EQ(text(IDS_BYTES_DELETED), L"%s MB (%s bytes) deleted");
  // Every other id the dialogs and jobs load must exist.
  for (UINT id : {UINT{IDS_TRAY_TIP}, 105u, 116u, 118u, 127u, 160u, 162u, 195u, 317u, 697u, 709u, 750u, 773u, 777u,
                  779u, 781u, 1237u, 1238u, 1239u})
    EXPECT_FALSE(text(id).empty()) << id;
  ::FreeLibrary(image);
}

}  // namespace
}  // namespace bpriv
