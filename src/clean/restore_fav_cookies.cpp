#include "clean/restore_fav_cookies.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/unique.h"
#include "clean/cookie_path.h"
#include "data/safe_file.h"
#include "data/saved_cookies.h"
#include "wipe/algo_registry.h"
#include "wipe/file_wiper_win.h"
#include "wipe/scramble_name_win.h"
#include "wipe/string_table.h"

namespace bpriv {
namespace {

constexpr uint32_t kZeroesNameId = 117;
constexpr int32_t kRenames = 26;

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
bool WriteBack(const std::wstring& path, const std::string& bytes) {
  UniqueFile file = OpenPlainFileForWrite(path);
  return file && WriteWholeFile(file.get(), bytes.data(), bytes.size());
}

class CRestore {
 public:
  CRestore(UrlCacheApi& cache, const std::wstring& base) : cache_(cache), base_(base), cookies_(CookieFolder()) {}

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
      ok = WriteBack(path, bytes);
      CopyAside(path, bytes);
    }
    const std::wstring url = W(r.url);
    return ok && cache_.Commit(url.c_str(), path.empty() ? nullptr : path.c_str(), Ft(r.expire_time),
                               Ft(r.last_modified), r.type);
  }

  // Every copy moved back where its cookie file has gone missing, then deleted.
  void PutBackCopies() {
    for (const std::wstring& move : moves_) {
      const size_t tab = move.find(L'\t');
      const std::wstring copy = move.substr(0, tab), original = move.substr(tab + 1);
      // MoveFileW only succeeds where the cookie file is missing; asking first
      // is much cheaper than a refused move.
      if (::GetFileAttributesW(original.c_str()) == INVALID_FILE_ATTRIBUTES)
        (void)::MoveFileW(copy.c_str(), original.c_str());
      (void)::DeleteFileW(copy.c_str());
    }
    if (temp_formed_) (void)::RemoveDirectoryW(temp_.c_str());
  }

 private:
  void CopyAside(const std::wstring& path, const std::string& bytes) {
    if (!temp_formed_) {
      temp_ = JoinFitting(base_, L"\\BSWFavCookiesTmp");
      if (temp_.empty()) return;
      temp_formed_ = true;
      (void)::CreateDirectoryW(temp_.c_str(), nullptr);
    }
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return;
    const std::wstring copy = JoinFitting(temp_, path.substr(slash));
    if (copy.empty()) return;
    // Only copies this run could open as its own plain file are moved or
    // deleted later: a name planted in the folder is left alone.
    UniqueFile file = OpenPlainFileForWrite(copy);
    if (!file) return;
    moves_.push_back(copy + L'\t' + path);
    (void)WriteWholeFile(file.get(), bytes.data(), bytes.size());
  }

  UrlCacheApi& cache_;
  std::wstring base_;
  std::wstring cookies_;
  std::wstring temp_;
  bool temp_formed_ = false;
  std::vector<std::wstring> moves_;
};

// Zeroes over the saved file, 26 random names, delete. A name that is not a
// plain single-link file of its own (a planted link) is left alone: wiping or
// deleting it would reach another file.
void DisposeOfSavedFile(const std::wstring& path) {
  {
    // Held without delete sharing during the wipe, so that the checked name
    // cannot be swapped; a handle without data access does not keep the
    // wiper's exclusive open out.
    UniqueFile guard = OpenPlainFile(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!guard) return;
    std::wstring name;
    CStringTable* strings = GetStringTable();
    if (strings && strings->Load(kZeroesNameId, &name))
      if (CWipeAlgo* zeroes = FindAlgoByName(name)) (void)WipeFile(path.c_str(), zeroes, 0, nullptr, false);
  }
  std::wstring final_path;
  (void)ScrambleName(path, &final_path, kRenames);
  if (!::DeleteFileW(final_path.c_str())) (void)::MoveFileW(final_path.c_str(), path.c_str());
}

}  // namespace

std::wstring CookieFolder() {
  wchar_t path[MAX_PATH] = {};
  if (!::SHGetSpecialFolderPathW(nullptr, path, CSIDL_COOKIES, FALSE)) return {};
  return path;
}

int RestoreFavCookies(bool epm, UrlCacheApi& cache, KnownFolderPathFn known_folder) {
  const std::wstring base = BaseFolder(epm, known_folder);
  const std::wstring saved_path = JoinFitting(base, L"\\Brightsweep\\SavedLowFavCookies1");
  if (saved_path.empty()) return 0;
  UniqueFile in(::CreateFileW(saved_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!in) {
    DisposeOfSavedFile(saved_path);
    return 0;
  }
  CRestore restore(cache, base);
  CFileSource source(in.get());
  uint32_t count = 0;
  bool failed = !ReadSavedCount(source, &count);
  for (uint32_t i = 0; i < count && !failed; ++i) {
    SavedCookieRecord record;
    failed = !ReadSavedRecord(source, &record) || !restore.Restore(record);
  }
  in.reset();
  restore.PutBackCopies();
  if (!failed) DisposeOfSavedFile(saved_path);
  return 0;
}

}  // namespace bpriv
