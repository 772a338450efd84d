// Probe-and-read: one fresh buffer per entry, sized by a probe, with what the
// caller needs copied out before it acts on the entry. Shared by the
// temporary-files listing and the two cleaning workers, which differ only in
// the pattern and in how often a failed probe or read is tried again.
#pragma once
#include <string>

#include "cache/url_cache_api.h"

namespace bpriv {

struct CacheReadPolicy {
  int attempts = 1;     // tries of every probe and every read (1: no retry)
  DWORD pause_ms = 0;   // between two tries
  void (*pause)(DWORD ms) = nullptr;  // null: Sleep
};

// The cookie clean's reads: 21 attempts, 100 ms apart, for a container that
// another process may hold busy.
constexpr CacheReadPolicy kCookieCleanReadPolicy{21, 100, nullptr};

// What is kept of one entry once its buffer is freed.
struct CacheEntryCopy {
  std::wstring key;          // lpszSourceUrlName; empty when null
  std::wstring local_file;   // lpszLocalFileName; empty when null
  bool has_local_file = false;  // the member was not null (it may be empty)
  DWORD type = 0;
  DWORD size_low = 0;
  FILETIME expire_time = {};
  FILETIME last_access_time = {};
};

class CCacheEntryReader {
 public:
  // pattern: null for the default container; "cookie:" is asked once more as
  // "Cookie:" when it finds nothing at all. With retries, an empty container
  // is probed as often as a busy one.
  CCacheEntryReader(UrlCacheApi& api, const wchar_t* pattern, CacheReadPolicy policy = {});
  CCacheEntryReader(const CCacheEntryReader&) = delete;
  CCacheEntryReader& operator=(const CCacheEntryReader&) = delete;

  // The first call reads the first entry, later calls the next one. False at
  // the end of the container or when a probe or read fails for good; the
  // enumeration is then over.
  bool Next(CacheEntryCopy* entry);

  // Whether the container gave a first entry.
  bool started() const { return started_; }

 private:
  DWORD ProbeFirstOnce(const wchar_t* pattern, DWORD* size);
  bool ProbeFirst(DWORD* size);
  bool ProbeNext(DWORD* size);
  bool ReadEntry(DWORD reported, CacheEntryCopy* entry);
  void Pause() const;

  UrlCacheApi& api_;
  const wchar_t* pattern_;
  CacheReadPolicy policy_;
  CCacheFind find_;
  bool started_ = false;
  bool over_ = false;
};

// The type bits of entries that are not temporary internet files.
constexpr DWORD kCookieOrHistoryEntry = 0x00300000;

}  // namespace bpriv
