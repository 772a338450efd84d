#include "clean/restore_fav_cookies.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "base/unique.h"
#include "clean/cookie_path.h"
#include "data/saved_cookies.h"
#include "data/saved_digest.h"
#include "safe/safe_file.h"
#include "wipe/algo_registry.h"
#include "wipe/file_wiper_win.h"
#include "wipe/scramble_name_win.h"
#include "wipe/string_table.h"

namespace bpriv {
namespace {

constexpr uint32_t kZeroesNameId = 117;

std::wstring W(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

FILETIME Ft(uint64_t t) { return {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)}; }

// Written, then cut to the length written; only a plain file with one link.
bool WriteBack(CSafeFolders& folders, const std::wstring& path, const std::string& bytes) {
  CSafeFile file = folders.Open(path, {GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, SafeCreate::kExistingElseNew});
  return file && WriteWholeFile(file.get(), bytes.data(), bytes.size());
}

class CRestore {
 public:
  CRestore(UrlCacheApi& cache, const std::wstring& base, const std::wstring& cookies)
      : cache_(cache), base_(base), cookies_(cookies), folders_({base, cookies}) {}

  // False when the record fails; the job then takes no further record.
  bool Restore(const SavedCookieRecord& r) {
    if (!IsCookieKey(r.url)) return false;
    const std::wstring path = W(r.file_name);
    if (!path.empty() &&
        !IsCookieFilePath(r.file_name, std::u16string_view(reinterpret_cast<const char16_t*>(cookies_.data()),
                                                           cookies_.size())))
      return false;
    bool ok = true;
    if (!path.empty() && !r.content.empty()) {
      const std::string bytes = r.content.substr(0, r.content.find('\0'));
      ok = WriteBack(folders_, path, bytes);
      CopyAside(path, bytes);
    }
    const std::wstring url = W(r.url);
    return ok && cache_.Commit(url.c_str(), path.empty() ? nullptr : path.c_str(), Ft(r.expire_time),
                               Ft(r.last_modified), r.type);
  }

  // Every copy moved back where its cookie file has gone missing, else
  // deleted; opened in the folder that was checked when it was written, so a
  // folder swapped since leads nowhere.
  void PutBackCopies() {
    for (const std::wstring& move : moves_) {
      const size_t tab = move.find(L'\t');
      CSafeFile copy = folders_.Open(move.substr(0, tab), {DELETE, kShareAll, SafeCreate::kExisting});
      // Only where the cookie file is missing, and never over a name.
      const std::wstring original = move.substr(tab + 1);
      if (copy && !(NothingAt(original) && folders_.Move(copy, original) == 0)) (void)copy.Delete();
    }
    if (temp_formed_) (void)folders_.RemoveFolder(temp_);
  }

  CSafeFolders& folders() { return folders_; }

  // Copies a killed run left behind go first: only names that pass the checks.
  void RemoveLeftoverCopies() {
    const std::wstring temp = JoinFitting(base_, L"\\BSWFavCookiesTmp");
    WIN32_FIND_DATAW found;
    UniqueFindFile find(temp.empty() ? INVALID_HANDLE_VALUE : ::FindFirstFileW((temp + L"\\*").c_str(), &found));
    for (BOOL more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &found))
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) (void)folders_.Remove(temp + L"\\" + found.cFileName);
  }

 private:
  void CopyAside(const std::wstring& path, const std::string& bytes) {
    if (!temp_formed_) {
      temp_ = JoinFitting(base_, L"\\BSWFavCookiesTmp");
      if (temp_.empty()) return;
      temp_formed_ = true;
      (void)folders_.MakeFolder(temp_);
    }
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return;
    const std::wstring copy = JoinFitting(temp_, path.substr(slash));
    if (copy.empty()) return;
    // Only copies this run could open as its own plain file are moved or
    // deleted later: a name planted in the folder is left alone.
    CSafeFile file = folders_.Open(copy, {GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, SafeCreate::kExistingElseNew});
    if (!file) return;
    moves_.push_back(copy + L'\t' + path);
    (void)WriteWholeFile(file.get(), bytes.data(), bytes.size());
  }

  UrlCacheApi& cache_;
  std::wstring base_;
  std::wstring cookies_;
  CSafeFolders folders_;
  std::wstring temp_;
  bool temp_formed_ = false;
  std::vector<std::wstring> moves_;
};

}  // namespace

void DisposeOfSavedFile(CSafeFolders& folders, const std::wstring& path) {
  std::wstring name;
  CStringTable* strings = GetStringTable();
  CWipeAlgo* zeroes = strings && strings->Load(kZeroesNameId, &name) ? FindAlgoByName(name) : nullptr;
  CSafeFile file;
  (void)WipeFile(folders, path, zeroes, 0, nullptr, false, &file);
  (void)ScrambleAndDelete(file);
}

int RestoreFavCookies(bool epm, UrlCacheApi& cache, KnownFolderPathFn known_folder) {
  const std::wstring base = BaseFolder(epm, known_folder);
  const std::wstring saved_path = JoinFitting(base, L"\\Brightsweep\\SavedLowFavCookies1");
  if (saved_path.empty()) return 0;
  CRestore restore(cache, base, CookieFolder());
  // Read once, whole, then checked against the digest the save recorded: a
  // file this agent did not write, or that was changed since, is not restored.
  std::string bytes;
  CSafeFile in = restore.folders().Open(saved_path, {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE});
  const bool opened = static_cast<bool>(in), read = in && ReadWholeFile(in.get(), &bytes);
  in.Close();
  (void)restore.folders().Remove(saved_path + L".new");  // a killed save's
  restore.RemoveLeftoverCopies();
  if (!opened) {
    DisposeOfSavedFile(restore.folders(), saved_path);
    return 0;
  }
  const std::vector<Sha256Digest> accepted = ReadSavedDigests(epm);
  const std::optional<Sha256Digest> digest = read ? Sha256(bytes.data(), bytes.size()) : std::nullopt;
  if (!digest || std::find(accepted.begin(), accepted.end(), *digest) == accepted.end()) return 0;
  CMemorySource source(bytes.data(), bytes.size());
  uint32_t count = 0;
  bool failed = !ReadSavedCount(source, &count);
  for (uint32_t i = 0; i < count && !failed; ++i) {
    SavedCookieRecord record;
    failed = !ReadSavedRecord(source, &record) || !restore.Restore(record);
  }
  restore.PutBackCopies();
  if (failed) return 0;
  DisposeOfSavedFile(restore.folders(), saved_path);
  (void)WriteSavedDigests(epm, {});
  return 0;
}

}  // namespace bpriv
