// The history on every version but 6.1: the shell's History folder, walked
// depth first, three levels of items.
#include <shlwapi.h>
#include <wrl/client.h>

#include <memory>

#include "base/unique.h"
#include "cache/history_listing.h"
#include "link/controller_watch.h"
#include "link/listing_window.h"
#include "link/record_format.h"
#include "link/send_record.h"
#include "link/utf16.h"

namespace bpriv {
namespace {

using Microsoft::WRL::ComPtr;

constexpr SHCONTF kFoldersAndItems = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;  // 96
constexpr SHGDNF kNameForEditing = SHGDN_INFOLDER | SHGDN_FOREDITING;       // 4097
// Sub-folders are entered from levels 0 and 2 only: three levels of items.
constexpr int32_t kDeepestParentLevel = 3;

// Item ids of an enumerator belong to the shell allocator.
class ItemIdFreer {
 public:
  explicit ItemIdFreer(IMalloc* shell_malloc) : malloc_(shell_malloc) {}
  void operator()(ITEMIDLIST* item) const noexcept { malloc_->Free(item); }

 private:
  IMalloc* malloc_;
};

// The flag is looked at before each record; false ends the level.
bool Report(HWND window, const std::u16string& text, bool watch) {
  if (ReadAnswerFlag(window) == kAnswerStop) return false;
  return SendRecord(window, AsWide(text), watch) == Answer::kGoOn;
}

// Empty when the display name cannot be had; cut to 259 units.
std::u16string DisplayName(IShellFolder* folder, PCUITEMID_CHILD item) {
  wchar_t name[kDisplayNameCapacity] = {};
  STRRET strret = {};
  if (FAILED(folder->GetDisplayNameOf(item, kNameForEditing, &strret))) return {};
  if (FAILED(::StrRetToBufW(&strret, item, name, kDisplayNameCapacity))) return {};
  name[kDisplayNameCapacity - 1] = L'\0';
  return std::u16string(AsU16(name));
}

bool ListingNumberIsAWindow(int32_t listing_number) {
  // The controller passes a window handle; handles are sign-extended 32-bit values.
  return ::IsWindow(reinterpret_cast<HWND>(static_cast<intptr_t>(listing_number))) != FALSE;
}

}  // namespace

void WalkHistoryFolder(IShellFolder* folder, int32_t listing_number, IMalloc* shell_malloc, int32_t level,
                       HWND window, bool epm) {
  const bool watch = !epm;
  ComPtr<IEnumIDList> items;
  if (folder->EnumObjects(nullptr, kFoldersAndItems, items.GetAddressOf()) != S_OK || !items) return;
  for (;;) {
    ITEMIDLIST* raw = nullptr;
    ULONG fetched = 0;
    if (items->Next(1, &raw, &fetched) != S_OK || fetched != 1) {
      if (raw) shell_malloc->Free(raw);
      return;
    }
    std::unique_ptr<ITEMIDLIST, ItemIdFreer> item(raw, ItemIdFreer(shell_malloc));
    if (watch && !IsControllerRunning()) return;

    const std::u16string name = DisplayName(folder, item.get());
    if (!Report(window, FormatFolderItemRecord(listing_number, level, name), watch)) return;

    if (level < kDeepestParentLevel) {
      ComPtr<IShellFolder> sub;
      if (folder->BindToObject(item.get(), nullptr, IID_IShellFolder, reinterpret_cast<void**>(sub.GetAddressOf())) ==
              S_OK &&
          sub) {
        if (!Report(window, FormatFolderOpenRecord(), watch)) return;
        // A child level that ended early (stop, controller gone) returns here;
        // a stop then ends this level at its next report.
        WalkHistoryFolder(sub.Get(), listing_number, shell_malloc, level + 2, window, epm);
        if (!Report(window, FormatFolderCloseRecord(listing_number), watch)) return;
      }
    }
    if (!Report(window, FormatItemDoneRecord(), watch)) return;
    item.reset();
    if (!ListingNumberIsAWindow(listing_number)) return;
  }
}

void WalkHistoryFolderRoot(int32_t listing_number, HWND window, bool epm) {
  ComPtr<IMalloc> shell_malloc;
  if (FAILED(::SHGetMalloc(shell_malloc.GetAddressOf())) || !shell_malloc) return;
  PIDLIST_ABSOLUTE raw = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_HISTORY, &raw)) || !raw) return;
  std::unique_ptr<ITEMIDLIST, CoTaskMemFreer> history(raw);
  ComPtr<IShellFolder> desktop;
  if (FAILED(::SHGetDesktopFolder(desktop.GetAddressOf())) || !desktop) return;
  ComPtr<IShellFolder> folder;
  if (desktop->BindToObject(history.get(), nullptr, IID_IShellFolder,
                            reinterpret_cast<void**>(folder.GetAddressOf())) == S_OK &&
      folder)
    WalkHistoryFolder(folder.Get(), listing_number, shell_malloc.Get(), 0, window, epm);
}

}  // namespace bpriv
