// The reference program of the link benchmark: it only creates a hidden
// window with a given class and title and keeps it until told to close. It
// also serves as the peer of the bare WM_SETTEXT + answer round trip.
#include <windows.h>

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
