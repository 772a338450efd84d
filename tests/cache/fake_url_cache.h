// An in-memory URL cache, stricter than WinINet: it checks that every buffer
// it is handed is zero-filled and no larger than claimed, and it can do what
// the real cache will not do on demand (be busy, grow an entry between the
// probe and the read).
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
  DWORD type = NORMAL_CACHE_ENTRY;
  DWORD size_low = 0;
  FILETIME expire_time = {};
  FILETIME last_modified_time = {};
  FILETIME last_access_time = {};
  DWORD extra_bytes = 0;  // header info carried in the record, to make it large
};

class FakeUrlCache final : public UrlCacheApi {
 public:
  // Wine's container matching instead of Windows': names compared exactly,
  // and a null pattern walks every container, not only the default one.
  bool wine_matching = false;
  // The next this many find calls (probe or read) fail with ERROR_SHARING_VIOLATION.
  int busy_calls = 0;
  // Reads (find calls with a buffer) fail with ERROR_SHARING_VIOLATION: once
  // `reads_before_busy` reads have gone through, the next `busy_reads` do.
  int reads_before_busy = 0;
  int busy_reads = 0;
  // The pattern of every FindFirst call, "(null)" for none.
  std::vector<std::wstring> first_patterns;
  // Bytes an entry grows by each time a probe (no buffer) reports its size.
  DWORD grow_after_probe = 0;
  // Violations seen: a buffer not zero-filled, a size larger than the block.
  int dirty_buffers = 0;
  int oversized_claims = 0;
  int calls = 0;
  int open_finds = 0;
  // Called by every Commit before it stores the entry.
  void (*on_commit)(const wchar_t* key, const wchar_t* local_file) = nullptr;

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

 private:
  struct Stored {
    unsigned id;
    FakeEntry entry;
  };
  struct Enumeration {
    std::wstring container;
    unsigned last_id;
  };
  bool ReadIsBusy(const INTERNET_CACHE_ENTRY_INFOW* buffer);
  std::optional<std::wstring> ContainerOf(const wchar_t* pattern) const;
  Stored* NextIn(const std::wstring& container, unsigned after_id);
  BOOL Deliver(Stored& stored, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size);

  std::vector<Stored> entries_;
  std::map<HANDLE, Enumeration> finds_;
  unsigned next_id_ = 1;
  uintptr_t next_handle_ = 0x1000;
};

}  // namespace bpriv::test
