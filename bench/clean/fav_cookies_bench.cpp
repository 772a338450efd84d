// The favourite-cookie jobs against bare loops of the platform calls they
// cannot avoid, measured in one run (best of several rounds, interleaved):
//   save of N cached favourites  vs  N x (GetUrlCacheEntryInfoW probe and
//                                    read, cookie file open/measure/read/close,
//                                    the record written to the saved file)
//   restore of N records         vs  N x (cookie file and its copy written,
//                                    CommitUrlCacheEntryW), each copy moved
//                                    back where the file is missing or deleted
// Each bare loop also checks every file it opens for writing once.
// Run: build/win/wine-run build/win/bin/fav_cookies_bench.exe [N]
//      bench/count_requests.sh N build/win/bin/fav_cookies_bench.exe save|restore
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../request_marks.h"
#include "../wipe/bare_wipe_loop.h"
#include "base/unique.h"
#include "clean/restore_fav_cookies.h"
#include "clean/save_fav_cookies.h"
#include "data/saved_cookies.h"
#include "data/saved_digest.h"
#include "seed.h"
#include "wipe/algo_registry.h"
#include "../bench_clock.h"

namespace {

std::string ReadAll(const std::wstring& path) {
  bpriv::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size = {};
  if (!file || !::GetFileSizeEx(file.get(), &size)) return {};
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!bytes.empty()) (void)::ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
  return bytes.substr(0, got);
}

bool WriteAll(const std::wstring& path, const std::string& bytes, bool check = true) {
  bpriv::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_ALWAYS, 0, nullptr));
  if (file && check) bpriv::CheckHandle(file.get());
  DWORD written = 0;
  return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         ::SetEndOfFile(file.get());
}

// What the save cannot do without: two look-ups and one whole read per name,
// each record written to the checked saved file.
int BareSave(const std::vector<std::wstring>& names, const std::wstring& saved) {
  int read = 0;
  bpriv::UniqueFile out(::CreateFileW(saved.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr));
  bpriv::CheckHandle(out.get());
  for (const std::wstring& name : names) {
    const std::wstring key = L"Cookie:" + name;
    DWORD size = 0;
    ::GetUrlCacheEntryInfoW(key.c_str(), nullptr, &size);
    std::unique_ptr<BYTE[]> buffer(new BYTE[size]());
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.get());
    if (!::GetUrlCacheEntryInfoW(key.c_str(), entry, &size)) continue;
    bpriv::SavedCookieRecord record;
    record.content = ReadAll(entry->lpszLocalFileName);
    read += !record.content.empty();
    std::string bytes;
    bpriv::AppendSavedRecord(record, &bytes);
    DWORD written = 0;
    ::WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
  return read;
}

// What the restore cannot do without: each file and its copy written, each
// entry committed.
int BareRestore(const std::vector<bpriv::SavedCookieRecord>& records, const std::wstring& temp) {
  int committed = 0;
  ::CreateDirectoryW(temp.c_str(), nullptr);
  for (const bpriv::SavedCookieRecord& r : records) {
    const std::wstring path(r.file_name.begin(), r.file_name.end()), url(r.url.begin(), r.url.end());
    WriteAll(path, r.content);
    WriteAll(temp + path.substr(path.find_last_of(L'\\')), r.content);
    const FILETIME expire = {static_cast<DWORD>(r.expire_time), static_cast<DWORD>(r.expire_time >> 32)};
    const FILETIME modified = {static_cast<DWORD>(r.last_modified), static_cast<DWORD>(r.last_modified >> 32)};
    committed += ::CommitUrlCacheEntryW(url.c_str(), path.c_str(), expire, modified, r.type, nullptr, 0, nullptr,
                                        nullptr);
  }
  for (const bpriv::SavedCookieRecord& r : records) {  // no copy outlives the run
    const std::wstring path(r.file_name.begin(), r.file_name.end());
    const std::wstring copy = temp + path.substr(path.find_last_of(L'\\'));
    if (!::MoveFileW(copy.c_str(), path.c_str())) bpriv::BareDeleteOne(copy.c_str());
  }
  ::RemoveDirectoryW(temp.c_str());
  return committed;
}

// The saved file and its digest in place, as the save leaves them.
void PutSaved(const std::wstring& saved, const std::string& bytes) {
  WriteAll(saved, bytes, false);
  (void)bpriv::WriteSavedDigests(false, {*bpriv::Sha256(bytes.data(), bytes.size())});
}

std::vector<bpriv::SavedCookieRecord> RecordsOf(const std::string& bytes) {
  std::vector<bpriv::SavedCookieRecord> records;
  bpriv::CMemorySource source(bytes.data(), bytes.size());
  uint32_t count = 0;
  (void)bpriv::ReadSavedCount(source, &count);
  for (bpriv::SavedCookieRecord r; records.size() < count && bpriv::ReadSavedRecord(source, &r);) records.push_back(r);
  return records;
}

}  // namespace

int main(int argc, char** argv) {
  // "save|restore count job|bare N": one side alone, marked for counting.
  const bool counting = argc > 4 && std::string(argv[2]) == "count";
  const int n = counting ? std::atoi(argv[4]) : argc > 1 ? std::atoi(argv[1]) : 1000;
  bpriv::InitWipeAlgos();
  agentctl::ClearUrlCache();
  std::vector<std::wstring> names;
  agentctl::SeededEntry made;
  for (int i = 0; i < n; ++i) {
    names.push_back(L"fav" + std::to_wstring(i) + L"@bench.example/");
    if (!agentctl::SeedCookie(names.back(), FILETIME{0, 0x01F00000}, &made)) {
      std::printf("seeding cookie %d failed (error %lu)\n", i, ::GetLastError());
      return 1;
    }
  }
  const std::wstring data = agentctl::DataFolder(false);
  const std::wstring saved = data + L"\\SavedLowFavCookies1";
  const std::wstring temp = data.substr(0, data.find_last_of(L'\\')) + L"\\BSWFavCookiesTmp";
  if (!agentctl::WriteNameListFile(data + L"\\LowFavCookies1", names)) return 1;
  if (counting) {
    const bool save = std::string(argv[1]) == "save", job = std::string(argv[3]) == "job";
    if (!save) bpriv::SaveFavCookies(false);
    const std::string saved_bytes = ReadAll(saved);
    MarkRequests("begin");
    if (save && job) bpriv::SaveFavCookies(false);
    else if (save) BareSave(names, saved);
    else if (job) bpriv::RestoreFavCookies(false);
    else BareRestore(RecordsOf(saved_bytes), temp);
    MarkRequests("end");
    agentctl::ClearUrlCache();
    return 0;
  }

  double bare_save = 1e9, job_save = 1e9, bare_restore = 1e9, job_restore = 1e9;
  std::string saved_bytes;
  std::vector<bpriv::SavedCookieRecord> records;
  for (int round = 0; round < 5; ++round) {
    double t = Now();
    const int read = BareSave(names, saved);
    bare_save = std::min(bare_save, Now() - t);
    ::DeleteFileW(saved.c_str());
    t = Now();
    bpriv::SaveFavCookies(false);
    job_save = std::min(job_save, Now() - t);
    if (round == 0) {
      saved_bytes = ReadAll(saved);
      records = RecordsOf(saved_bytes);
      std::printf("save: %d cookie files read, %zu records saved (%zu bytes)\n", read, records.size(),
                  saved_bytes.size());
    }

    t = Now();
    const int committed = BareRestore(records, temp);
    bare_restore = std::min(bare_restore, Now() - t);
    PutSaved(saved, saved_bytes);
    t = Now();
    bpriv::RestoreFavCookies(false);
    job_restore = std::min(job_restore, Now() - t);
    if (round == 0)
      std::printf("restore: %d bare commits; saved file left behind: %s\n", committed,
                  ::GetFileAttributesW(saved.c_str()) == INVALID_FILE_ATTRIBUTES ? "no" : "yes");
  }
  std::printf("save of %d favourites: %.1f ms; bare look-ups and reads: %.1f ms; ratio %.2f (goal <= 1.3)\n", n,
              job_save * 1e3, bare_save * 1e3, job_save / bare_save);
  std::printf("restore of %zu records: %.1f ms; bare writes and commits: %.1f ms; ratio %.2f (goal <= 1.3)\n",
              records.size(), job_restore * 1e3, bare_restore * 1e3, job_restore / bare_restore);
  ::DeleteFileW((data + L"\\LowFavCookies1").c_str());
  ::DeleteFileW(saved.c_str());
  agentctl::ClearUrlCache();
  return 0;
}
