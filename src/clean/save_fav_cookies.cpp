#include "clean/save_fav_cookies.h"

#include <memory>
#include <new>

#include "base/unique.h"
#include "data/name_list_file.h"
#include "safe/safe_file.h"
#include "data/saved_cookies.h"

namespace bpriv {
namespace {

std::u16string U16(const wchar_t* s) { return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : u""; }

// The whole cookie file, read with deny-none sharing. False when it cannot be
// opened, measured or read whole, or is too long for the record's length field.
bool ReadCookieFile(const wchar_t* path, std::string* content) {
  UniqueFile file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart >= MAXDWORD) return false;
  try {
    content->assign(static_cast<size_t>(size.QuadPart), '\0');
  } catch (const std::bad_alloc&) {
    return false;  // a buffer that cannot be had fails the save, like a short read
  }
  DWORD got = 0;
  return content->empty() ||
         (::ReadFile(file.get(), &(*content)[0], static_cast<DWORD>(content->size()), &got, nullptr) &&
          got == content->size());
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  return ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace

std::wstring SavedCookiesPath(bool epm, KnownFolderPathFn known_folder) {
  return JoinFitting(ProductDataFolder(epm, known_folder), L"\\SavedLowFavCookies1");
}

int SaveFavCookies(bool epm, UrlCacheApi& cache, KnownFolderPathFn known_folder) {
  const std::wstring base = BaseFolder(epm, known_folder);
  const std::wstring folder = JoinFitting(base, L"\\Brightsweep");
  const std::wstring saved_path = JoinFitting(folder, L"\\SavedLowFavCookies1");
  const std::wstring list_path = JoinFitting(folder, L"\\LowFavCookies1");
  if (saved_path.empty() || list_path.empty()) return 0;
  const std::vector<std::wstring> names = ReadNameList(list_path, 0);
  if (names.empty()) return 0;  // an older saved file stays as it is

  CSafeFolders folders({base});
  CSafeFile file =
      folders.Open(saved_path, {GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, SafeCreate::kExistingElseNew});
  if (!file) return 0;
  std::string bytes;
  AppendUint32Le(static_cast<uint32_t>(names.size()), &bytes);  // placeholder
  bool failed = !WriteAll(file.get(), bytes);
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
    if (!record.file_name.empty() && !ReadCookieFile(entry->lpszLocalFileName, &record.content)) {
      record.content.clear();  // the record is finished with no content, and the save fails
      failed = true;
    }
    record.expire_time = entry->ExpireTime.dwLowDateTime | (uint64_t{entry->ExpireTime.dwHighDateTime} << 32);
    record.last_modified =
        entry->LastModifiedTime.dwLowDateTime | (uint64_t{entry->LastModifiedTime.dwHighDateTime} << 32);
    record.type = entry->CacheEntryType;
    bytes.clear();
    AppendSavedRecord(record, &bytes);
    if (!WriteAll(file.get(), bytes)) failed = true;
  }

  if (saved != 0) {
    bytes.clear();
    AppendUint32Le(saved, &bytes);
    LARGE_INTEGER start = {};
    if (!::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) || !WriteAll(file.get(), bytes)) failed = true;
  }
  // Through the handle that was checked and written: while it is open nobody
  // can rename or replace the name (no delete sharing).
  if (saved == 0 || failed) (void)file.Delete();
  return 0;
}

}  // namespace bpriv
