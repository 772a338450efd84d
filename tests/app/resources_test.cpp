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

struct AgentImage {
  HMODULE module = ::LoadLibraryExW(test::BesideTests(L"BPrivSvc.exe").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ~AgentImage() {
    if (module) ::FreeLibrary(module);
  }
};

std::wstring LoadText(HMODULE module, UINT id) {
  const wchar_t* text = nullptr;
  int n = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
  return n > 0 ? std::wstring(text, n) : std::wstring();
}

TEST(AgentResources, ImageHoldsEveryResourceKindAndTheTextsCodeAndUserDependOn) {
  AgentImage image;
  ASSERT_NE(image.module, nullptr) << ::GetLastError();
  struct {
    const wchar_t* type;
    const wchar_t* name;
  } kinds[] = {
      {RT_MANIFEST, MAKEINTRESOURCEW(1)},         {RT_VERSION, MAKEINTRESOURCEW(1)},
      {RT_DIALOG, MAKEINTRESOURCEW(IDD_WIPE_PROGRESS)}, {RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_AGENT)},
      {L"AVI", MAKEINTRESOURCEW(IDR_BUSY_AVI)},
  };
  for (const auto& k : kinds)
    EXPECT_NE(::FindResourceW(image.module, k.name, k.type), nullptr)
        << "type " << reinterpret_cast<uintptr_t>(k.type) << " id " << reinterpret_cast<uintptr_t>(k.name);
  // Algorithm names are looked up by text; the byte counts are formatted with two %s.
  struct {
    UINT id;
    const wchar_t* text;
  } texts[] = {
      {IDS_ALGO_ZEROES, L"Zeroes"},
      {IDS_ALGO_RANDOM, L"Pseudo-random"},
      {IDS_ALGO_DOD3, L"DoD 5220.22-M (3)"},
      {IDS_ALGO_DOD7, L"DoD 5200.28-STD (7)"},
      {IDS_ALGO_GUTMANN, L"Peter Gutmann (35)"},
      {IDS_BYTES_WIPED, L"%s MB (%s bytes) wiped"},
      {IDS_BYTES_DELETED, L"%s MB (%s bytes) deleted"},
      {IDS_ALGO_RANDOM_DESC,
       L"Filling with pseudo-random numbers through one pass. Fast.\nConceals the fact that the data is wiped."},
      {IDS_TRAY_TIP, L"Brightsweep is wiping..."},
  };
  for (const auto& t : texts) EXPECT_EQ(LoadText(image.module, t.id), t.text) << t.id;
  // Every other id the dialogs and jobs load must exist.
  for (UINT id : {105u, 116u, 118u, 127u, 160u, 162u, 195u, 317u, 697u, 709u, 750u, 773u, 777u, 779u, 781u, 1237u,
                  1238u, 1239u})
    EXPECT_FALSE(LoadText(image.module, id).empty()) << id;
}

TEST(AgentResources, ProgressDialog648BuildsAndPlaysItsAnimation) {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_ANIMATE_CLASS | ICC_PROGRESS_CLASS};
  ASSERT_TRUE(::InitCommonControlsEx(&icc));
  // The tests carry the same resource script as the agent, so the template
  // comes from this module, as the dialog code will load it.
  HINSTANCE self = ::GetModuleHandleW(nullptr);
  HWND dialog = ::CreateDialogParamW(self, MAKEINTRESOURCEW(IDD_WIPE_PROGRESS), nullptr,
                                     [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  ASSERT_NE(dialog, nullptr) << ::GetLastError();
  struct {
    int id;
    const wchar_t* cls;
    bool visible;
  } controls[] = {
      {IDC_BUSY_ANIMATION, L"SysAnimate32", true}, {IDC_HEADING, L"Static", true},
      {IDC_UNUSED_PANEL, L"Static", false},        {IDC_CURRENT_ITEM, L"Static", true},
      {IDC_PROGRESS, L"msctls_progress32", false}, {IDC_PERCENT, L"Static", false},
      {IDC_BYTE_COUNT, L"Static", true},           {IDC_UNUSED_LINE, L"Static", true},
      {IDC_STOP, L"Button", true},                 {IDC_HIDE, L"Button", true},
      {IDC_SCHED, L"Button", false},
  };
  for (const auto& c : controls) {
    HWND control = ::GetDlgItem(dialog, c.id);
    ASSERT_NE(control, nullptr) << c.id;
    wchar_t cls[64] = {};
    ::GetClassNameW(control, cls, 64);
    EXPECT_STREQ(cls, c.cls) << c.id;
    EXPECT_EQ((::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0, c.visible) << c.id;
  }
  EXPECT_TRUE(::SendDlgItemMessageW(dialog, IDC_BUSY_ANIMATION, ACM_OPENW, reinterpret_cast<WPARAM>(self),
                                    reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(IDR_BUSY_AVI))))
      << "the generated animation must be an AVI the control accepts";
  EXPECT_NE(::LoadIconW(self, MAKEINTRESOURCEW(IDI_AGENT)), nullptr);
  ::DestroyWindow(dialog);
}

}  // namespace
}  // namespace bpriv
