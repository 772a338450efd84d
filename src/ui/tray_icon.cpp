#include "ui/tray_icon.h"

#include <cwchar>

namespace bpriv {

namespace {

class CRealShell : public CNotifyIconShell {
 public:
  BOOL Notify(DWORD message, NOTIFYICONDATAW* data) override { return ::Shell_NotifyIconW(message, data); }
};

// The layout without balloon and GUID members; its size differs between 32-
// and 64-bit programs, so the headers' constant, not a number.
NOTIFYICONDATAW BaseRecord(HWND window, uint32_t icon_id) {
  NOTIFYICONDATAW data;
  ::ZeroMemory(&data, sizeof data);
  data.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data.hWnd = window;
  data.uID = icon_id;
  return data;
}

}  // namespace

CNotifyIconShell& RealNotifyIconShell() {
  static CRealShell shell;
  return shell;
}

bool CTrayIcon::Add(HWND window, uint32_t icon_id, uint32_t callback_message, HICON icon, const wchar_t* tip) {
  if (shown_) (void)Remove();
  last_error_ = kNone;
  icon_id_ = icon_id;
  window_ = window;
  NOTIFYICONDATAW data = BaseRecord(window, icon_id);
  data.uFlags = NIF_MESSAGE | NIF_ICON;
  data.uCallbackMessage = callback_message;
  data.hIcon = icon;
  if (tip != nullptr) {
    const size_t length = std::wcslen(tip);
    if (length > kMaxTip) {
      last_error_ = kTipTooLong;
      return false;
    }
    std::wmemcpy(data.szTip, tip, length + 1);
    data.uFlags |= NIF_TIP;
  }
  if (!shell_->Notify(NIM_ADD, &data)) {
    last_error_ = kShellRefused;
    return false;
  }
  shown_ = true;
  return true;
}

bool CTrayIcon::Remove() {
  if (!shown_) {
    last_error_ = kNotShown;
    return false;
  }
  last_error_ = kNone;
  NOTIFYICONDATAW data = BaseRecord(window_, icon_id_);
  if (!shell_->Notify(NIM_DELETE, &data)) {
    last_error_ = kShellRefused;
    return false;
  }
  shown_ = false;
  return true;
}

}  // namespace bpriv
