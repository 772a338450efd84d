// An in-memory URL cache, stricter than WinINet: it checks that every buffer
// it is handed is zero-filled and no larger than claimed, and it can do what
// the real cache will not do on demand (be busy, grow an entry between the
// probe and the read). The end-to-end runs use Wine's real cache.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cache/url_cache_api.h"

namespace bpriv::test {

struct FakeEntry {
  std::wstring key;
  std::optional<std::wstring> local_file;  // nullopt: the record's member is null
  DWORD type = NORMAL_CACHE_ENTRY, size_low = 0;
  FILETIME expire_time = {}, last_modified_time = {}, last_access_time = {};
  DWORD extra_bytes = 0;  // header info carried in the record, to make it large
};

class FakeUrlCache final : public UrlCacheApi {
 public:
  // Wine's container matching instead of Windows': names compared exactly,
  // and a null pattern walks every container, not only the default one.
  bool wine_matching = false;
  // The next `busy_calls` find calls (probe or read) fail with ERROR_SHARING_VIOLATION;
  // then, once `reads_before_busy` reads (find calls with a buffer) went
  // through, the next `busy_reads` fail so.
  int busy_calls = 0, reads_before_busy = 0, busy_reads = 0;
  std::vector<std::wstring> first_patterns;  // of every FindFirst, "(null)" for none
  DWORD grow_after_probe = 0;  // bytes an entry grows by at each probe without buffer
  // Buffers not zero-filled, sizes beyond the block, FindNext calls, finds not closed.
  int dirty_buffers = 0, oversized_claims = 0, find_next_calls = 0, open_finds = 0;
  void (*on_commit)(const wchar_t* key, const wchar_t* local_file) = nullptr;  // before it stores
  void (*on_delete)(const wchar_t* key) = nullptr;  // before it deletes
  void (*on_lookup)() = nullptr;                     // at each GetEntryInfo
  std::vector<std::wstring> folders;  // what ContainerFolders answers, for either container

  void Add(const FakeEntry& entry);
  const FakeEntry* Find(const std::wstring& key) const;
  size_t size() const { return entries_.size(); }
  static DWORD RecordSize(const FakeEntry& entry);

  HANDLE FindFirst(const wchar_t* pattern, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) override;
  BOOL FindNext(HANDLE find, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) override;
  BOOL FindClose(HANDLE find) override;
  BOOL GetEntryInfo(const wchar_t* key, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) override;
  BOOL DeleteEntry(const wchar_t* key) override;
  BOOL Commit(const wchar_t* key, const wchar_t* local_file, FILETIME expire, FILETIME last_modified,
              DWORD type) override;
  std::vector<std::wstring> ContainerFolders(bool) override { return folders; }

 private:
  BOOL Step(std::pair<std::wstring, unsigned>& find, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size);
  bool Erase(const wchar_t* key);

  std::vector<std::pair<unsigned, FakeEntry>> entries_;  // id (rising), entry
  std::map<HANDLE, std::pair<std::wstring, unsigned>> finds_;  // container, last id read
  unsigned next_id_ = 1;  // of entries and find handles alike
};

// Empties the real cache of the test user. Walking every container makes Wine
// create the history container's files in the shell's History folder, which
// other tests need empty, and a process that has walked them keeps them open:
// the walk runs in an agentctl process and the files are removed once it ended.
void ResetRealCache();

}  // namespace bpriv::test
