// Real files for the Windows-side tests: a fresh folder per test, removed
// with everything in it afterwards.
#pragma once

#include <windows.h>
#include <process.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bpriv {

class CTempFolder {
 public:
  CTempFolder() {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"bpw" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
            std::to_wstring(++counter) + L"\\";
    ::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~CTempFolder() { Remove(path_); }
  CTempFolder(const CTempFolder&) = delete;
  CTempFolder& operator=(const CTempFolder&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + name; }

  // The names in a folder, without "." and "..".
  static std::vector<std::wstring> List(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      const std::wstring name = data.cFileName;
      if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
  }

 private:
  static void Remove(const std::wstring& folder) {
    for (const std::wstring& name : List(folder)) {
      const std::wstring path = folder + name;
      const DWORD attributes = ::GetFileAttributesW(path.c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Remove(path + L"\\");
      } else {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
      }
    }
    ::RemoveDirectoryW(folder.c_str());
  }
  std::wstring path_;
};

inline bool WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = bytes.empty() || ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                               &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size();
}

inline std::vector<uint8_t> ReadBytes(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  uint8_t chunk[65536];
  DWORD got = 0;
  while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  ::CloseHandle(file);
  return bytes;
}

// Runs `body` on a thread of its own (started as the program starts its
// threads) and waits for it when destroyed.
class CTestThread {
 public:
  explicit CTestThread(std::function<void()> body) : body_(std::move(body)) {
    thread_ = reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &Entry, this, 0, nullptr));
  }
  ~CTestThread() {
    if (thread_ != nullptr) {
      ::WaitForSingleObject(thread_, INFINITE);
      ::CloseHandle(thread_);
    }
  }
  CTestThread(const CTestThread&) = delete;
  CTestThread& operator=(const CTestThread&) = delete;

 private:
  static unsigned __stdcall Entry(void* self) {
    static_cast<CTestThread*>(self)->body_();
    return 0;
  }
  std::function<void()> body_;
  HANDLE thread_ = nullptr;
};

}  // namespace bpriv
