// The one way this agent opens a file it will write, cut, overwrite, rename or
// delete, and a folder it will create or remove.
//
// Every path lies below an anchor: a folder that the user's own configuration
// names (the base folder, the cache folders WinINet reports, the cookie
// folder). An anchor is opened once per job, following whatever links lead to
// it: a moved profile is the user's choice. Below it nothing may be a link
// (LocalAppDataLow, and so the data folder, is writable by sandboxed
// Low-integrity processes): each folder on the way is opened relative to the
// anchor and kept open; the file is opened relative to that folder's handle,
// never through a link at its own name, and is created only where nothing
// bears its name. Then the handle's final path must be the anchor's final
// path followed by the names asked for, and the file a plain disk file with
// one link. Overwrite, renames, cut and delete all go through the handle that
// passed; nothing is done again by name. A check that cannot be made refuses.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/unique.h"

namespace bpriv {

// The error of an open refused by its checks: the name leads elsewhere (a link
// in place of the file or of a folder on the way, a second name, a folder
// where a file was asked for) or lies below no anchor.
constexpr DWORD kErrorNotPlain = ERROR_CANT_RESOLVE_FILENAME;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

enum class SafeCreate {
  kExisting,          // the file must exist
  kNew,               // created; fails when the name is taken (by anything, a link too)
  kExistingElseNew,   // opened when it exists, else created new; never through a link
};

struct SafeOpen {
  DWORD access = 0;  // FILE_READ_ATTRIBUTES and SYNCHRONIZE are always added
  DWORD share = 0;
  SafeCreate create = SafeCreate::kExisting;
  bool unbuffered = false;  // writes bypass the system's file cache
  bool more_names = false;  // a file with a second hard link is opened too (see links())
};

struct CheckedFolder;

// An open file that passed the checks, and the folder it was found in.
class CSafeFile {
 public:
  CSafeFile() = default;
  explicit operator bool() const { return static_cast<bool>(file_); }
  HANDLE get() const { return file_.get(); }
  const std::wstring& path() const { return path_; }  // the name it bears now
  DWORD attributes() const { return attributes_; }    // as found when opened
  DWORD links() const { return links_; }

  // Gives the file another name in its folder, over an existing one only
  // when asked to. 0, or the Win32 error.
  DWORD Rename(const std::wstring& name, bool replace = false);
  // Marks the file for deletion: it goes when its handle closes. 0, or the error.
  DWORD Delete();
  // The very same file once more, with other access and sharing.
  CSafeFile Reopen(DWORD access, DWORD share, bool unbuffered) const;
  void Close() { file_.reset(); }

 private:
  friend class CSafeFolders;
  UniqueFile file_;
  std::shared_ptr<const CheckedFolder> folder_;
  std::wstring path_;
  DWORD attributes_ = 0, links_ = 0;
};

// The anchors of one job and the folders below them checked so far.
class CSafeFolders {
 public:
  // Anchors that cannot be opened are left out: nothing below them is opened.
  explicit CSafeFolders(const std::vector<std::wstring>& anchors);
  ~CSafeFolders();
  CSafeFolders(const CSafeFolders&) = delete;
  CSafeFolders& operator=(const CSafeFolders&) = delete;

  // The file `path` names, checked; empty with the thread's last error set
  // when it cannot be opened or is refused (kErrorNotPlain). A file this call
  // created and then refused is deleted again.
  CSafeFile Open(const std::wstring& path, const SafeOpen& how);
  // Creates the folder, or finds it there; true when it is a checked folder.
  bool MakeFolder(const std::wstring& path);
  // Removes the folder when it is empty and checked.
  bool RemoveFolder(const std::wstring& path);
  // Deletes the file when it is there and passes the checks; true when
  // nothing bears the name afterwards.
  bool Remove(const std::wstring& path);
  // Moves the file into another checked folder under the name `path` ends
  // with, never over an existing name. 0, or the Win32 error.
  DWORD Move(CSafeFile& file, const std::wstring& path);

 private:
  // The checked folder at `path`, opened below its anchor when first asked for.
  std::shared_ptr<const CheckedFolder> Folder(const std::wstring& path);
  // The checked folder that holds `path`, and the plain name it has there.
  std::shared_ptr<const CheckedFolder> Parent(const std::wstring& path, std::wstring* name);

  std::vector<std::shared_ptr<const CheckedFolder>> anchors_, folders_;
};

// True when nothing bears the name: no file, no folder, not even a link that
// leads nowhere (which Wine's own no-replace rename would overwrite).
bool NothingAt(const std::wstring& path);

// Opens the named stream (":extra") of an open file relative to the file's own
// handle, so that it is a stream of that very file: unbuffered, exclusive.
UniqueFile OpenStreamOf(HANDLE file, const std::wstring& stream, DWORD access);

// Writes all bytes through the handle and cuts the file there. False when any
// step fails.
[[nodiscard]] bool WriteWholeFile(HANDLE file, const void* data, size_t size);

// Reads the whole file from the start. False when it cannot be read whole or
// held in memory.
[[nodiscard]] bool ReadWholeFile(HANDLE file, std::string* bytes);

}  // namespace bpriv
