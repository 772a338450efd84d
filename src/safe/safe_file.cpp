#include "safe/safe_file.h"

#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>

#include "safe/safe_path.h"

namespace bpriv {

struct CheckedFolder {
  std::wstring path;        // as asked for, without a trailing backslash
  std::wstring final_path;  // as the volume has it
  UniqueFile handle;
};

namespace {

// NtCreateFile's dispositions and options, and the statuses looked at.
constexpr ULONG kNtOpen = 1, kNtCreate = 2;
constexpr ULONG kDirectoryFile = 0x1, kNoBuffering = 0x8, kSynchronousIo = 0x20, kNonDirectoryFile = 0x40,
                kOpenReparsePoint = 0x200000;
constexpr LONG kStatusNameNotFound = static_cast<LONG>(0xC0000034);
constexpr LONG kStatusNameCollision = static_cast<LONG>(0xC0000035);
constexpr int kFileRenameInformation = 10;
constexpr size_t kMostFolders = 64;  // a cache has a few dozen folders at most

// The native calls, looked up once: ntdll is in every process.
struct NtCalls {
  LONG(NTAPI* create)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, IO_STATUS_BLOCK*, LARGE_INTEGER*, ULONG, ULONG, ULONG,
                      ULONG, void*, ULONG);
  LONG(NTAPI* set_information)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, int);
  ULONG(NTAPI* error_of)(LONG);
};

template <class Fn>
void Find(HMODULE ntdll, const char* name, Fn* fn) {
  *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, name)));
}

const NtCalls* Nt() {
  static const NtCalls calls = [] {
    NtCalls c = {};
    if (HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll")) {
      Find(ntdll, "NtCreateFile", &c.create);
      Find(ntdll, "NtSetInformationFile", &c.set_information);
      Find(ntdll, "RtlNtStatusToDosError", &c.error_of);
    }
    return c;
  }();
  return calls.create && calls.set_information && calls.error_of ? &calls : nullptr;
}

DWORD Fail(DWORD error) {
  ::SetLastError(error);
  return error;
}

DWORD FailWith(LONG status) { return Fail(Nt() ? Nt()->error_of(status) : ERROR_INVALID_FUNCTION); }

std::u16string_view U16(const std::wstring& s) { return {reinterpret_cast<const char16_t*>(s.data()), s.size()}; }

bool SameName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         (a.empty() || ::CompareStringOrdinal(reinterpret_cast<const wchar_t*>(a.data()), static_cast<int>(a.size()),
                                              reinterpret_cast<const wchar_t*>(b.data()), static_cast<int>(b.size()),
                                              TRUE) == CSTR_EQUAL);
}

std::wstring WithoutTrailingSlash(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

// NtCreateFile of `name` relative to `root`, never following a link at the
// name itself.
UniqueFile OpenRelative(HANDLE root, const std::wstring& name, DWORD access, DWORD share, ULONG disposition,
                        ULONG options, LONG* status) {
  const NtCalls* nt = Nt();
  if (!nt || name.size() > 0x7FFF) {
    *status = static_cast<LONG>(0xC0000033);  // STATUS_OBJECT_NAME_INVALID
    return UniqueFile();
  }
  UNICODE_STRING text = {static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                         static_cast<USHORT>(name.size() * sizeof(wchar_t)), const_cast<wchar_t*>(name.c_str())};
  OBJECT_ATTRIBUTES attributes = {};  // by name: some headers pad it explicitly
  attributes.Length = sizeof(attributes);
  attributes.RootDirectory = root;
  attributes.ObjectName = &text;
  attributes.Attributes = OBJ_CASE_INSENSITIVE;
  IO_STATUS_BLOCK io = {};
  HANDLE handle = nullptr;
  *status = nt->create(&handle, access | FILE_READ_ATTRIBUTES | SYNCHRONIZE, &attributes, &io, nullptr,
                       FILE_ATTRIBUTE_NORMAL, share, disposition, options | kOpenReparsePoint | kSynchronousIo, nullptr,
                       0);
  return UniqueFile(*status >= 0 ? handle : INVALID_HANDLE_VALUE);
}

// The handle's final path; nothing when the platform cannot say. A path that
// does not fit the first buffer is asked for again at the size reported.
std::optional<std::wstring> FinalPathOf(HANDLE handle) {
  std::wstring text(MAX_PATH + 1, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD n = ::GetFinalPathNameByHandleW(handle, &text[0], static_cast<DWORD>(text.size()),
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return std::nullopt;
    if (n < text.size()) return text.substr(0, n);
    text.assign(n + 1, L'\0');
  }
  return std::nullopt;
}

// Attributes and link count: no reparse point, and a folder only where one
// was asked for. Two queries that need no path lookup.
bool ReadKind(HANDLE handle, bool folder, DWORD* attributes, DWORD* links) {
  FILE_ATTRIBUTE_TAG_INFO tag;
  FILE_STANDARD_INFO standard;
  if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof(tag)) ||
      !::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof(standard)))
    return false;
  *attributes = tag.FileAttributes;
  *links = standard.NumberOfLinks;
  return !(tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         ((tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder && standard.Directory == folder;
}

// The object lies at `anchor_final` followed by exactly `names`; its final
// path goes to `out` when asked for.
bool IsAt(HANDLE handle, const std::wstring& anchor_final, const std::vector<std::u16string_view>& names,
          std::wstring* out = nullptr) {
  std::optional<std::wstring> final_path = FinalPathOf(handle);
  if (!final_path || !IsFinalPathBelow(U16(*final_path), U16(anchor_final), names, SameName)) return false;
  if (out) *out = std::move(*final_path);
  return true;
}

DWORD RenameRelative(HANDLE file, HANDLE root, const std::wstring& name, bool replace = false) {
  const size_t bytes = name.size() * sizeof(wchar_t);
  std::vector<BYTE> buffer(offsetof(FILE_RENAME_INFO, FileName) + bytes + sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = replace;
  info->RootDirectory = root;
  info->FileNameLength = static_cast<DWORD>(bytes);
  std::memcpy(info->FileName, name.data(), bytes);
  IO_STATUS_BLOCK io = {};
  // SetFileInformationByHandle refuses a root folder under Wine; the native call takes it.
  const LONG status = Nt()->set_information(file, &io, info, static_cast<ULONG>(buffer.size()), kFileRenameInformation);
  return status >= 0 ? 0 : FailWith(status);
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  return folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

}  // namespace

DWORD CSafeFile::Rename(const std::wstring& name, bool replace) {
  if (!file_ || !IsPlainComponent(U16(name))) return Fail(kErrorNotPlain);
  const DWORD error = RenameRelative(file_.get(), folder_->handle.get(), name, replace);
  if (error == 0) path_ = Join(folder_->path, name);
  return error;
}

DWORD CSafeFile::Delete() {
  FILE_DISPOSITION_INFO info = {TRUE};
  if (file_ && ::SetFileInformationByHandle(file_.get(), FileDispositionInfo, &info, sizeof(info))) return 0;
  return file_ ? ::GetLastError() : Fail(ERROR_INVALID_HANDLE);
}

CSafeFile CSafeFile::Reopen(DWORD access, DWORD share, bool unbuffered) const {
  CSafeFile again;
  if (!file_) return again;
  again.file_.reset(::ReOpenFile(file_.get(), access | FILE_READ_ATTRIBUTES | SYNCHRONIZE, share,
                                 unbuffered ? FILE_FLAG_NO_BUFFERING : 0));
  if (!again) return again;
  again.folder_ = folder_;
  again.path_ = path_;
  again.attributes_ = attributes_;
  again.links_ = links_;
  return again;
}

CSafeFolders::CSafeFolders(const std::vector<std::wstring>& anchors) {
  for (const std::wstring& path : anchors) {
    if (path.empty()) continue;  // a folder the shell does not know
    // Followed: what leads to an anchor is the user's own.
    auto anchor = std::make_shared<CheckedFolder>();
    anchor->path = WithoutTrailingSlash(path);
    anchor->handle.reset(::CreateFileW(anchor->path.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                                       kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::optional<std::wstring> final_path;
    if (!anchor->handle || !(final_path = FinalPathOf(anchor->handle.get()))) continue;
    anchor->final_path = WithoutTrailingSlash(*final_path);
    anchors_.push_back(std::move(anchor));
  }
}

CSafeFolders::~CSafeFolders() = default;

std::shared_ptr<const CheckedFolder> CSafeFolders::Folder(const std::wstring& path) {
  // The deepest anchor the folder lies in: what lies above it is the user's.
  const CheckedFolder* anchor = nullptr;
  std::vector<std::u16string_view> names;
  for (const auto& a : anchors_) {
    if (SameName(U16(a->path), U16(path))) return a;
    if (anchor && a->path.size() <= anchor->path.size()) continue;
    if (auto found = NamesBelow(U16(a->path), U16(path), SameName)) {
      anchor = a.get();
      names = std::move(*found);
    }
  }
  if (!anchor) return Fail(kErrorNotPlain), nullptr;
  for (const auto& f : folders_)
    if (SameName(U16(f->path), U16(path))) return f;
  const size_t below = anchor->path.size() + (anchor->path.back() == L'\\' ? 0 : 1);  // "C:\\" keeps its backslash

  auto folder = std::make_shared<CheckedFolder>();
  LONG status = 0;
  folder->handle = OpenRelative(anchor->handle.get(), path.substr(below),
                                FILE_LIST_DIRECTORY | FILE_TRAVERSE, kShareAll, kNtOpen, kDirectoryFile, &status);
  if (!folder->handle) return FailWith(status), nullptr;
  DWORD attributes = 0, links = 0;
  if (!ReadKind(folder->handle.get(), true, &attributes, &links) ||
      !IsAt(folder->handle.get(), anchor->final_path, names, &folder->final_path))
    return Fail(kErrorNotPlain), nullptr;
  folder->path = path;
  if (folders_.size() >= kMostFolders) folders_.erase(folders_.begin());
  folders_.push_back(folder);
  return folder;
}

std::shared_ptr<const CheckedFolder> CSafeFolders::Parent(const std::wstring& path, std::wstring* name) {
  const std::wstring trimmed = WithoutTrailingSlash(path);
  const size_t slash = trimmed.find_last_of(L'\\');
  if (slash == std::wstring::npos || !IsPlainComponent(U16(*name = trimmed.substr(slash + 1))))
    return Fail(kErrorNotPlain), nullptr;
  return Folder(trimmed.substr(0, slash));
}

CSafeFile CSafeFolders::Open(const std::wstring& path, const SafeOpen& how) {
  CSafeFile file;
  std::wstring name;
  std::shared_ptr<const CheckedFolder> folder = Parent(path, &name);
  if (!folder) return file;

  const ULONG options = kNonDirectoryFile | (how.unbuffered ? kNoBuffering : 0);
  bool created = how.create == SafeCreate::kNew;
  LONG status = 0;
  file.file_ = OpenRelative(folder->handle.get(), name, how.access, how.share, created ? kNtCreate : kNtOpen, options,
                            &status);
  if (!file && status == kStatusNameNotFound && how.create == SafeCreate::kExistingElseNew) {
    created = true;
    file.file_ = OpenRelative(folder->handle.get(), name, how.access, how.share, kNtCreate, options, &status);
  }
  if (!file) {
    FailWith(status);
    return file;
  }

  const bool plain = ReadKind(file.get(), false, &file.attributes_, &file.links_) &&
                     (file.links_ == 1 || how.more_names) && IsAt(file.get(), folder->final_path, {U16(name)});
  if (!plain) {
    if (created) (void)file.Delete();  // made here a moment ago, in a checked folder
    file.Close();
    Fail(kErrorNotPlain);
    return file;
  }
  file.path_ = Join(folder->path, name);
  file.folder_ = std::move(folder);
  return file;
}

bool CSafeFolders::MakeFolder(const std::wstring& path) {
  std::wstring name;
  std::shared_ptr<const CheckedFolder> parent = Parent(path, &name);
  if (!parent) return false;
  LONG status = 0;
  UniqueFile made = OpenRelative(parent->handle.get(), name, FILE_LIST_DIRECTORY, kShareAll, kNtCreate, kDirectoryFile,
                                 &status);
  if (!made && status != kStatusNameCollision) return FailWith(status), false;
  return Folder(Join(parent->path, name)) != nullptr;
}

bool CSafeFolders::RemoveFolder(const std::wstring& path) {
  std::wstring name;
  std::shared_ptr<const CheckedFolder> parent = Parent(path, &name);
  if (!parent) return false;
  LONG status = 0;
  UniqueFile folder = OpenRelative(parent->handle.get(), name, DELETE, kShareAll, kNtOpen, kDirectoryFile, &status);
  if (!folder) return FailWith(status), false;
  DWORD attributes = 0, links = 0;
  if (!ReadKind(folder.get(), true, &attributes, &links) || !IsAt(folder.get(), parent->final_path, {U16(name)}))
    return Fail(kErrorNotPlain), false;
  // A handle kept here would hold the folder until the job ends.
  for (auto it = folders_.begin(); it != folders_.end(); ++it)
    if (SameName(U16((*it)->path), U16(Join(parent->path, name)))) {
      folders_.erase(it);
      break;
    }
  FILE_DISPOSITION_INFO info = {TRUE};
  return ::SetFileInformationByHandle(folder.get(), FileDispositionInfo, &info, sizeof(info)) != FALSE;
}

bool CSafeFolders::Remove(const std::wstring& path) {
  CSafeFile file = Open(path, {DELETE, kShareAll, SafeCreate::kExisting});
  return file ? file.Delete() == 0 : NothingAt(path);
}

DWORD CSafeFolders::Move(CSafeFile& file, const std::wstring& path) {
  std::wstring name;
  std::shared_ptr<const CheckedFolder> folder = file ? Parent(path, &name) : nullptr;
  if (!folder) return file ? ::GetLastError() : Fail(ERROR_INVALID_HANDLE);
  const DWORD error = RenameRelative(file.get(), folder->handle.get(), name);
  if (error == 0) {
    file.path_ = Join(folder->path, name);
    file.folder_ = std::move(folder);
  }
  return error;
}

bool NothingAt(const std::wstring& path) {
  // Wine finds a dangling link's name but no file, and says so by another error.
  WIN32_FIND_DATAW found;
  UniqueFindFile find(::FindFirstFileW(path.c_str(), &found));
  return !find && (::GetLastError() == ERROR_FILE_NOT_FOUND || ::GetLastError() == ERROR_PATH_NOT_FOUND);
}

UniqueFile OpenStreamOf(HANDLE file, const std::wstring& stream, DWORD access) {
  LONG status = 0;
  UniqueFile handle = OpenRelative(file, stream, access, 0, kNtOpen, kNonDirectoryFile | kNoBuffering, &status);
  if (!handle) FailWith(status);
  return handle;
}

bool WriteWholeFile(HANDLE file, const void* data, size_t size) {
  if (size > MAXDWORD) return false;
  DWORD written = 0;
  if (size && (!::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) || written != size))
    return false;
  return ::SetEndOfFile(file) != FALSE;
}

bool ReadWholeFile(HANDLE file, std::string* bytes) {
  LARGE_INTEGER size, start = {};
  if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > SIZE_MAX / 2 ||
      !::SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
    return false;
  try {
    bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (size_t done = 0; done < bytes->size();) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes->size() - done, 1u << 30));
    if (!::ReadFile(file, &(*bytes)[done], want, &got, nullptr) || got == 0) return false;
    done += got;
  }
  return true;
}

}  // namespace bpriv
