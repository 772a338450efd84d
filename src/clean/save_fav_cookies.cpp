#include "clean/save_fav_cookies.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>

#include "base/unique.h"
#include "data/name_list_file.h"
#include "data/saved_cookies.h"
#include "data/saved_digest.h"
#include "safe/safe_file.h"

namespace bpriv {
namespace {

std::u16string U16(const wchar_t* s) { return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : u""; }

// The whole cookie file, read with deny-none sharing. False when it cannot be
// opened, measured or read whole, or is too long for the record's length field.
bool ReadCookieFile(const wchar_t* path, std::string* content) {
  UniqueFile file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && ReadWholeFile(file.get(), content) && content->size() < MAXDWORD;
}

// The saved file's name taken by the new one in one rename, the old one's
// digest still accepted until then: a kill at any moment leaves the older
// saved file whole or the new one, never neither. Any file there goes only
// when it passes the checks; a link there fails the save.
bool Replace(CSafeFolders& folders, CSafeFile& written, const std::wstring& saved_path, bool epm,
             const Sha256Digest& digest) {
  std::vector<Sha256Digest> accepted = ReadSavedDigests(epm);
  accepted.resize(std::min<size_t>(accepted.size(), 1));
  accepted.insert(accepted.begin(), digest);
  CSafeFile old = folders.Open(saved_path, {DELETE, kShareAll, SafeCreate::kExisting});
  const bool clear = old || NothingAt(saved_path);
  old.Close();
  return clear && WriteSavedDigests(epm, accepted) &&
         written.Rename(saved_path.substr(saved_path.find_last_of(L'\\') + 1), true) == 0 &&
         WriteSavedDigests(epm, {digest});
}

}  // namespace

int SaveFavCookies(bool epm, UrlCacheApi& cache, KnownFolderPathFn known_folder) {
  const std::wstring base = BaseFolder(epm, known_folder);
  const std::wstring folder = JoinFitting(base, L"\\Brightsweep");
  const std::wstring saved_path = JoinFitting(folder, L"\\SavedLowFavCookies1");
  const std::wstring list_path = JoinFitting(folder, L"\\LowFavCookies1");
  if (saved_path.empty() || list_path.empty()) return 0;
  const std::vector<std::wstring> names = ReadNameList(list_path, 0);
  if (names.empty()) return 0;  // an older saved file stays as it is

  // Written whole under another name first; a killed save's leftover goes.
  CSafeFolders folders({base});
  const std::wstring new_path = saved_path + L".new";
  (void)folders.Remove(new_path);
  CSafeFile file = folders.Open(new_path, {GENERIC_WRITE | DELETE, FILE_SHARE_READ, SafeCreate::kNew});
  if (!file) return 0;
  std::string bytes;
  AppendUint32Le(0, &bytes);  // the count, once known
  bool failed = false;
  uint32_t saved = 0;
  for (size_t i = 0; i < names.size() && !failed; ++i) {
    const std::wstring key = L"Cookie:" + names[i];
    DWORD size = 0;
    if (cache.GetEntryInfo(key.c_str(), nullptr, &size) || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
      continue;  // not cached
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[size]());
    if (!buffer) {  // the saved file would lack this favourite: fail it as a whole
      failed = true;
      break;
    }
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.get());
    if (!cache.GetEntryInfo(key.c_str(), entry, &size)) continue;

    ++saved;
    SavedCookieRecord record;
    record.url = U16(entry->lpszSourceUrlName);
    record.file_name = U16(entry->lpszLocalFileName);
    // A file name that is there but empty names no file that can be read.
    if (entry->lpszLocalFileName && !ReadCookieFile(entry->lpszLocalFileName, &record.content)) failed = true;
    record.expire_time = entry->ExpireTime.dwLowDateTime | (uint64_t{entry->ExpireTime.dwHighDateTime} << 32);
    record.last_modified =
        entry->LastModifiedTime.dwLowDateTime | (uint64_t{entry->LastModifiedTime.dwHighDateTime} << 32);
    record.type = entry->CacheEntryType;
    try {
      AppendSavedRecord(record, &bytes);
    } catch (const std::bad_alloc&) {
      failed = true;
    }
  }
  std::string count;
  AppendUint32Le(saved, &count);
  bytes.replace(0, count.size(), count);
  std::optional<Sha256Digest> digest;
  if (saved != 0 && !failed && WriteWholeFile(file.get(), bytes.data(), bytes.size()) &&
      ::FlushFileBuffers(file.get()) && (digest = Sha256(bytes.data(), bytes.size())) &&
      Replace(folders, file, saved_path, epm, *digest))
    return 0;
  // Found none, or failed: no saved file is left, the older one neither.
  (void)file.Delete();
  if (folders.Remove(saved_path)) (void)WriteSavedDigests(epm, {});
  return 0;
}

}  // namespace bpriv
