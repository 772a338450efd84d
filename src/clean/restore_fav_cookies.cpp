#include "clean/restore_fav_cookies.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/unique.h"
#include "clean/cookie_path.h"
#include "data/saved_cookies.h"
#include "safe/safe_file.h"
#include "wipe/algo_registry.h"
#include "wipe/file_wiper_win.h"
#include "wipe/scramble_name_win.h"
#include "wipe/string_table.h"

namespace bpriv {
namespace {

constexpr uint32_t kZeroesNameId = 117;

// The saved file read through a buffer: a record is many small fields.
class CFileSource final : public CByteSource {
 public:
  explicit CFileSource(HANDLE file) : file_(file), buffer_(64 * 1024) {
    LARGE_INTEGER size;
    remaining_ = ::GetFileSizeEx(file, &size) && size.QuadPart > 0 ? static_cast<uint64_t>(size.QuadPart) : 0;
  }
  uint64_t Remaining() const override { return remaining_; }
  bool Read(void* out, size_t size) override {
    auto* dst = static_cast<uint8_t*>(out);
    while (size > 0) {
      if (pos_ == end_) {
        DWORD got = 0;
        if (size >= buffer_.size()) {  // large contents bypass the buffer
          const bool whole = size <= MAXDWORD && ::ReadFile(file_, dst, static_cast<DWORD>(size), &got, nullptr) &&
                             got == size;
          Consume(got);
          return whole;
        }
        if (!::ReadFile(file_, buffer_.data(), static_cast<DWORD>(buffer_.size()), &got, nullptr) || got == 0)
          return false;
        pos_ = 0;
        end_ = got;
      }
      const size_t n = std::min(size, end_ - pos_);
      std::memcpy(dst, buffer_.data() + pos_, n);
      pos_ += n;
      dst += n;
      size -= n;
      Consume(n);
    }
    return true;
  }

 private:
  void Consume(uint64_t n) { remaining_ -= std::min(n, remaining_); }  // the file may change under us

  HANDLE file_;
  std::vector<uint8_t> buffer_;
  size_t pos_ = 0, end_ = 0;
  uint64_t remaining_ = 0;
};

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
        !IsPlainPathInside(r.file_name, std::u16string_view(reinterpret_cast<const char16_t*>(cookies_.data()),
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
  UniqueFile in(::CreateFileW(saved_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  CRestore restore(cache, base, CookieFolder());
  if (!in) {
    DisposeOfSavedFile(restore.folders(), saved_path);
    return 0;
  }
  CFileSource source(in.get());
  uint32_t count = 0;
  bool failed = !ReadSavedCount(source, &count);
  for (uint32_t i = 0; i < count && !failed; ++i) {
    SavedCookieRecord record;
    failed = !ReadSavedRecord(source, &record) || !restore.Restore(record);
  }
  in.reset();
  restore.PutBackCopies();
  if (!failed) DisposeOfSavedFile(restore.folders(), saved_path);
  return 0;
}

}  // namespace bpriv
