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
  // Algorithm names are looked up by text; the byte counts are formatted with two %s.
  const std::pair<UINT, const wchar_t*> texts[] = {
      {IDS_ALGO_ZEROES, L"Zeroes"}, {IDS_ALGO_RANDOM, L"Pseudo-random"}, {IDS_ALGO_DOD3, L"DoD 5220.22-M (3)"},
      {IDS_ALGO_DOD7, L"DoD 5200.28-STD (7)"}, {IDS_ALGO_GUTMANN, L"Peter Gutmann (35)"},
      {IDS_BYTES_WIPED, L"%s MB (%s bytes) wiped"}, {IDS_BYTES_DELETED, L"%s MB (%s bytes) deleted"},
  };
  for (const auto& t : texts) EXPECT_EQ(text(t.first), t.second) << t.first;
  // Every other id the dialogs and jobs load must exist.
  for (UINT id : {UINT{IDS_ALGO_RANDOM_DESC}, UINT{IDS_TRAY_TIP}, 105u, 116u, 118u, 127u, 160u, 162u, 195u, 317u, 697u,
                  709u, 750u, 773u, 777u, 779u, 781u, 1237u, 1238u, 1239u})
    EXPECT_FALSE(text(id).empty()) << id;
  ::FreeLibrary(image);
}

}  // namespace
}  // namespace bpriv
