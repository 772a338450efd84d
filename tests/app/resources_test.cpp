// The agent's own resources, read from BPrivSvc.exe as the shell and the
// dialog code read them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "resource.h"
#include "support/run_process.h"

namespace bpriv {
namespace {

std::wstring LoadText(HMODULE module, UINT id) {
  const wchar_t* text = nullptr;
  int n = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
  return n > 0 ? std::wstring(text, n) : std::wstring();
}

TEST(AgentResources, ImageHoldsEveryResourceKindAndTheTextsCodeAndUserDependOn) {
  const HMODULE image = ::LoadLibraryExW(test::BesideTests(L"BPrivSvc.exe").c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr) << ::GetLastError();
  struct {
    const wchar_t* type;
    const wchar_t* name;
  } kinds[] = {
      {RT_MANIFEST, MAKEINTRESOURCEW(1)},         {RT_VERSION, MAKEINTRESOURCEW(1)},
      {RT_DIALOG, MAKEINTRESOURCEW(IDD_WIPE_PROGRESS)}, {RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_AGENT)},
      {L"AVI", MAKEINTRESOURCEW(IDR_BUSY_AVI)},
  };
  for (const auto& k : kinds)
    EXPECT_NE(::FindResourceW(image, k.name, k.type), nullptr) << reinterpret_cast<uintptr_t>(k.name);
  // Algorithm names are looked up by text; the byte counts are formatted with two %s.
  struct {
    UINT id;
    const wchar_t* text;
  } texts[] = {
      {IDS_ALGO_ZEROES, L"Zeroes"},          {IDS_ALGO_RANDOM, L"Pseudo-random"},
      {IDS_ALGO_DOD3, L"DoD 5220.22-M (3)"}, {IDS_ALGO_DOD7, L"DoD 5200.28-STD (7)"},
      {IDS_ALGO_GUTMANN, L"Peter Gutmann (35)"}, {IDS_BYTES_WIPED, L"%s MB (%s bytes) wiped"},
      {IDS_BYTES_DELETED, L"%s MB (%s bytes) deleted"},
  };
  for (const auto& t : texts) EXPECT_EQ(LoadText(image, t.id), t.text) << t.id;
  // Every other id the dialogs and jobs load must exist.
  for (UINT id : std::initializer_list<UINT>{IDS_ALGO_RANDOM_DESC, IDS_TRAY_TIP, 105, 116, 118, 127, 160, 162, 195, 317,
                                             697, 709, 750, 773, 777, 779, 781, 1237, 1238, 1239})
    EXPECT_FALSE(LoadText(image, id).empty()) << id;
  ::FreeLibrary(image);
}

TEST(AgentResources, ProgressDialogBuildsAndPlaysItsAnimation) {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_ANIMATE_CLASS | ICC_PROGRESS_CLASS};
  ASSERT_TRUE(::InitCommonControlsEx(&icc));
  // The tests carry the agent's resource script; the dialog's controls are checked where the dialog runs.
  HINSTANCE self = ::GetModuleHandleW(nullptr);
  HWND dialog = ::CreateDialogParamW(self, MAKEINTRESOURCEW(IDD_WIPE_PROGRESS), nullptr,
                                     [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  ASSERT_NE(dialog, nullptr) << ::GetLastError();
  EXPECT_TRUE(::SendDlgItemMessageW(dialog, IDC_BUSY_ANIMATION, ACM_OPENW, reinterpret_cast<WPARAM>(self),
                                    reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(IDR_BUSY_AVI))))
      << "the generated animation must be an AVI the control accepts";
  ::DestroyWindow(dialog);
}

}  // namespace
}  // namespace bpriv
