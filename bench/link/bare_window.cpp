// The reference program of the link benchmark: it only creates a hidden
// window with a given class and title and keeps it until told to close. It
// also serves as the peer of the bare WM_SETTEXT + answer round trip.
// Built a second time with BARE_REQUIRED_CALLS: it then first makes the
// start-up calls the agent must make (COM, common controls), as the agent
// does, so that the agent's own start-up cost shows apart from theirs.
#include <windows.h>
#ifdef BARE_REQUIRED_CALLS
#include <commctrl.h>
#include <objbase.h>
#endif

namespace {

LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_USER + 14) {  // the answer of the round trip
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 1);
    return 0;
  }
  if (message == WM_CLOSE) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR class_name, int) {
#ifdef BARE_REQUIRED_CALLS
  (void)::CoInitialize(nullptr);
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
  if (!::InitCommonControlsEx(&icc)) ::InitCommonControls();
#endif
  WNDCLASSW wc = {};
  wc.lpfnWndProc = BareProc;
  wc.hInstance = instance;
  wc.lpszClassName = class_name && *class_name ? class_name : L"BareBenchWnd";
  if (!::RegisterClassW(&wc)) return 1;
  if (!::CreateWindowExW(0, wc.lpszClassName, L"STARTPRIVILEGES", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr))
    return 1;
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
  return 0;
}
