// One notification-area icon of the progress dialog: added, removed, and the
// reason the last operation failed.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>

namespace bpriv {

// The shell call, nothing more. Wine's null display driver refuses it, so the
// dialog and its tests must work whatever it answers.
class CNotifyIconShell {
 public:
  virtual ~CNotifyIconShell() = default;
  virtual BOOL Notify(DWORD message, NOTIFYICONDATAW* data) = 0;
};
CNotifyIconShell& RealNotifyIconShell();

class CTrayIcon {
 public:
  enum Error : uint32_t { kNone = 0, kShellRefused = 1, kTipTooLong = 3, kNotShown = 4 };
  // The longest tip accepted, in UTF-16 units.
  static constexpr size_t kMaxTip = 63;

  explicit CTrayIcon(CNotifyIconShell& shell = RealNotifyIconShell()) : shell_(&shell) {}

  // Replaces an icon already shown. tip may be null.
  bool Add(HWND window, uint32_t icon_id, uint32_t callback_message, HICON icon, const wchar_t* tip);
  bool Remove();

  bool Shown() const { return shown_; }
  uint32_t LastError() const { return last_error_; }

 private:
  CNotifyIconShell* shell_;
  bool shown_ = false;
  uint32_t icon_id_ = 0;
  uint32_t last_error_ = kNone;
  HWND window_ = nullptr;
};

}  // namespace bpriv
