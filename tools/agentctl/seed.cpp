#include "seed.h"

#include <wininet.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string>

#include "base/unique.h"
#include "data/data_folder.h"
#include "data/name_list.h"
#include "data/saved_cookies.h"

namespace agentctl {

namespace {

bool WriteBytes(const std::wstring& path, const void* data, DWORD size) {
  bpriv::UniqueFile file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && ::WriteFile(file.get(), data, size, &written, nullptr) && written == size;
}

bool CommitWithFile(const std::wstring& key, const std::string& content, FILETIME expire, DWORD type,
                    SeededEntry* out) {
  wchar_t file[MAX_PATH] = {};
  if (!::CreateUrlCacheEntryW(key.c_str(), static_cast<DWORD>(content.size()), L"txt", file, 0)) return false;
  if (!WriteBytes(file, content.data(), static_cast<DWORD>(content.size()))) return false;
  FILETIME modified = {};
  if (!::CommitUrlCacheEntryW(key.c_str(), file, expire, modified, type, nullptr, 0, nullptr, nullptr)) {
    ::DeleteFileW(file);
    return false;
  }
  *out = {key, file};
  return true;
}

FILETIME OneYearAhead() {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t = {{now.dwLowDateTime, now.dwHighDateTime}};
  t.QuadPart += 365ULL * 24 * 3600 * 10000000ULL;
  return {t.LowPart, t.HighPart};
}

std::vector<std::wstring> SplitNames(const std::wstring& list) {
  std::vector<std::wstring> names;
  size_t start = 0;
  for (;;) {
    size_t comma = list.find(L',', start);
    names.push_back(list.substr(start, comma - start));
    if (comma == std::wstring::npos) return names;
    start = comma + 1;
  }
}

void CollectKeys(const wchar_t* pattern, std::vector<std::wstring>* keys) {
  std::vector<BYTE> buffer(4096);
  DWORD size = static_cast<DWORD>(buffer.size());
  auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
  HANDLE find = ::FindFirstUrlCacheEntryW(pattern, entry, &size);
  if (!find && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    buffer.resize(size);
    entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    find = ::FindFirstUrlCacheEntryW(pattern, entry, &size);
  }
  if (!find) return;
  bpriv::UniqueCacheFind owner(find);
  for (;;) {
    if (entry->lpszSourceUrlName) keys->push_back(entry->lpszSourceUrlName);
    size = static_cast<DWORD>(buffer.size());
    if (::FindNextUrlCacheEntryW(find, entry, &size)) continue;
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return;
    buffer.resize(size);
    entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    if (!::FindNextUrlCacheEntryW(find, entry, &size)) return;
  }
}

}  // namespace

bool SeedTempFile(const std::wstring& url, DWORD bytes, SeededEntry* out) {
  std::string content(bytes, 'x');
  return CommitWithFile(url, content, FILETIME{}, NORMAL_CACHE_ENTRY, out);
}

bool SeedCookie(const std::wstring& name, FILETIME expire, SeededEntry* out) {
  std::string content = "sample\nvalue\n";
  content.append(name.begin(), name.end());  // the cookie text is ASCII in practice; bytes only
  content += "\n0\n";
  return CommitWithFile(L"Cookie:" + name, content, expire, COOKIE_CACHE_ENTRY, out);
}

bool SeedEntryWithoutFile(const std::wstring& key, DWORD type, SeededEntry* out) {
  FILETIME none = {};
  if (!::CommitUrlCacheEntryW(key.c_str(), nullptr, OneYearAhead(), none, type, nullptr, 0, nullptr, nullptr))
    return false;
  *out = {key, L""};
  return true;
}

int ClearUrlCache() {
  std::vector<std::wstring> keys;
  for (const wchar_t* pattern : {static_cast<const wchar_t*>(nullptr), L"Cookie:", L"Visited:"})
    CollectKeys(pattern, &keys);
  int deleted = 0;
  for (const std::wstring& key : keys) deleted += ::DeleteUrlCacheEntryW(key.c_str()) ? 1 : 0;
  return deleted;
}

std::wstring DataFolder(bool epm) { return bpriv::ProductDataFolder(epm); }

// Files in the data folder as the controller writes them: plainly, the
// folder made when missing.
static bool WriteDataFile(const std::wstring& path, const std::string& bytes) {
  const size_t slash = path.find_last_of(L'\\');
  if (slash != std::wstring::npos) ::CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
  return WriteBytes(path, bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool WriteNameListFile(const std::wstring& path, const std::vector<std::wstring>& names) {
  std::string bytes;
  for (const std::wstring& name : names)
    bpriv::AppendNameListEntry(std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size()), &bytes);
  return WriteDataFile(path, bytes);
}

bool WriteSavedCookiesFile(const std::wstring& path, const std::vector<SavedRecordText>& records) {
  std::string bytes;
  bpriv::AppendUint32Le(static_cast<uint32_t>(records.size()), &bytes);
  const FILETIME expire = OneYearAhead();
  for (const SavedRecordText& r : records) {
    bpriv::SavedCookieRecord record;
    record.url.assign(r.key.begin(), r.key.end());
    record.file_name.assign(r.local_file.begin(), r.local_file.end());
    record.content = r.content;
    record.expire_time = expire.dwLowDateTime | (uint64_t{expire.dwHighDateTime} << 32);
    record.type = COOKIE_CACHE_ENTRY;
    bpriv::AppendSavedRecord(record, &bytes);
  }
  return WriteDataFile(path, bytes);
}

int SeedCommand(const std::vector<std::wstring>& args) {
  auto fail = [](const std::wstring& what) {
    std::fwprintf(stderr, L"agentctl seed: %ls (error %lu)\n", what.c_str(), ::GetLastError());
    return 1;
  };
  auto usage = [](const std::wstring& what) {
    std::fwprintf(stderr, L"agentctl seed: %ls\n", what.c_str());
    return 2;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    auto value = [&](size_t k) -> const std::wstring* { return i + k < args.size() ? &args[i + k] : nullptr; };
    SeededEntry made;
    if (a == L"--clear") {
      std::wprintf(L"cleared %d\n", ClearUrlCache());
    } else if (a == L"--tif") {
      if (!value(2)) return usage(L"--tif needs URL BYTES");
      if (!SeedTempFile(*value(1), std::wcstoul(value(2)->c_str(), nullptr, 10), &made)) return fail(L"tif " + *value(1));
      std::wprintf(L"tif %ls \"%ls\"\n", made.key.c_str(), made.local_file.c_str());
      i += 2;
    } else if (a == L"--nofile" || a == L"--history") {
      if (!value(1)) return usage(a + L" needs KEY");
      const DWORD type = a == L"--history" ? URLHISTORY_CACHE_ENTRY : NORMAL_CACHE_ENTRY;
      if (!SeedEntryWithoutFile(*value(1), type, &made)) return fail(a + L" " + *value(1));
      std::wprintf(L"%ls %ls\n", a.c_str() + 2, made.key.c_str());
      i += 1;
    } else if (a == L"--cookie") {
      if (!value(1)) return usage(L"--cookie needs NAME");
      const std::wstring name = *value(1);
      FILETIME expire = OneYearAhead();
      if (value(2) && (*value(2) == L"-" || iswdigit((*value(2))[0]))) {
        if (*value(2) != L"-") {
          ULARGE_INTEGER t;
          t.QuadPart = std::wcstoull(value(2)->c_str(), nullptr, 10);
          expire = {t.LowPart, t.HighPart};
        }
        i += 1;
      }
      if (!SeedCookie(name, expire, &made)) return fail(L"cookie " + name);
      std::wprintf(L"cookie %ls \"%ls\"\n", name.c_str(), made.local_file.c_str());
      i += 1;
    } else if (a == L"--cookies") {
      if (!value(2)) return usage(L"--cookies needs N PREFIX");
      const unsigned long n = std::wcstoul(value(1)->c_str(), nullptr, 10);
      for (unsigned long k = 0; k < n; ++k)
        if (!SeedCookie(*value(2) + std::to_wstring(k) + L"@bench.example/", OneYearAhead(), &made))
          return fail(L"cookie " + std::to_wstring(k));
      std::wprintf(L"cookies %lu\n", n);
      i += 2;
    } else if (a == L"--tifs") {
      if (!value(3)) return usage(L"--tifs needs N PREFIX BYTES");
      const unsigned long n = std::wcstoul(value(1)->c_str(), nullptr, 10);
      const DWORD bytes = std::wcstoul(value(3)->c_str(), nullptr, 10);
      for (unsigned long k = 0; k < n; ++k)
        if (!SeedTempFile(*value(2) + std::to_wstring(k), bytes, &made)) return fail(L"tif " + std::to_wstring(k));
      std::wprintf(L"tifs %lu\n", n);
      i += 3;
    } else if (a == L"--names" || a == L"--epm-names") {
      if (!value(2)) return usage(a + L" needs FILE NAMES");
      std::wstring path = *value(1);
      if (path.find(L'\\') == std::wstring::npos) path = DataFolder(a == L"--epm-names") + L"\\" + path;
      const std::vector<std::wstring> names = SplitNames(*value(2));
      if (!WriteNameListFile(path, names)) return fail(L"names " + path);
      std::wprintf(L"names %ls %zu\n", path.c_str(), names.size());
      i += 2;
    } else if (a == L"--saved" || a == L"--epm-saved") {
      const unsigned long n = value(2) ? std::wcstoul(value(2)->c_str(), nullptr, 10) : 0;
      if (!value(2) || !value(2 + 3 * n)) return usage(a + L" needs FILE N and N times KEY PATH TEXT");
      std::wstring path = *value(1);
      if (path.find(L'\\') == std::wstring::npos) path = DataFolder(a == L"--epm-saved") + L"\\" + path;
      std::vector<SavedRecordText> records;
      for (unsigned long k = 0; k < n; ++k) {
        auto field = [&](size_t f) { return *value(3 + 3 * k + f) == L"-" ? std::wstring() : *value(3 + 3 * k + f); };
        const std::wstring text = field(2);
        records.push_back({field(0), field(1), std::string(text.begin(), text.end())});  // ASCII text
      }
      if (!WriteSavedCookiesFile(path, records)) return fail(L"saved " + path);
      std::wprintf(L"saved %ls %lu\n", path.c_str(), n);
      i += 2 + 3 * n;
    } else {
      return usage(L"unknown item " + a);
    }
  }
  return 0;
}

}  // namespace agentctl
