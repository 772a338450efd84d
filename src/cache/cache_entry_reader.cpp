#include "cache/cache_entry_reader.h"

#include <cstring>
#include <memory>

namespace bpriv {
namespace {

void CopyOut(const INTERNET_CACHE_ENTRY_INFOW& e, CacheEntryCopy* out) {
  out->key = e.lpszSourceUrlName ? e.lpszSourceUrlName : L"";
  out->has_local_file = e.lpszLocalFileName != nullptr;
  out->local_file = e.lpszLocalFileName ? e.lpszLocalFileName : L"";
  out->type = e.CacheEntryType;
  out->size_low = e.dwSizeLow;
  out->expire_time = e.ExpireTime;
  out->last_access_time = e.LastAccessTime;
}

}  // namespace

CCacheEntryReader::CCacheEntryReader(UrlCacheApi& api, const wchar_t* pattern, CacheReadPolicy policy)
    : api_(api), pattern_(pattern), policy_(policy) {
  if (policy_.attempts < 1) policy_.attempts = 1;
}

void CCacheEntryReader::Pause() const {
  if (policy_.pause) policy_.pause(policy_.pause_ms);
  else ::Sleep(policy_.pause_ms);
}

// One probe of the first entry: the error it ends with (0 when the cache
// answered a probe with a handle, which is not ours to keep).
DWORD CCacheEntryReader::ProbeFirstOnce(const wchar_t* pattern, DWORD* size) {
  *size = 0;
  HANDLE probe = api_.FindFirst(pattern, nullptr, size);
  if (probe) {
    (void)api_.FindClose(probe);
    return 0;
  }
  return ::GetLastError();
}

// Every failed probe, an empty container included, is tried again as the
// policy says. Within one attempt, a pattern that finds no entry at all is
// asked once more under its second spelling (Wine's cookie container), which
// is kept from then on.
bool CCacheEntryReader::ProbeFirst(DWORD* size) {
  const wchar_t* second = SecondSpellingOf(pattern_);
  for (int attempt = 1;; ++attempt) {
    DWORD error = ProbeFirstOnce(pattern_, size);
    if (error == 0) return false;
    if (error == ERROR_NO_MORE_ITEMS && second) {
      error = ProbeFirstOnce(second, size);
      if (error == 0) return false;
      if (error == ERROR_INSUFFICIENT_BUFFER && *size != 0) pattern_ = second;
    }
    if (error == ERROR_INSUFFICIENT_BUFFER && *size != 0) return true;
    if (attempt >= policy_.attempts) return false;
    Pause();
  }
}

// The end of the container ends the walk at once; a busy cache is asked again,
// and after the last attempt the read goes ahead with the size last reported.
bool CCacheEntryReader::ProbeNext(DWORD* size) {
  for (int attempt = 1;; ++attempt) {
    *size = 0;
    if (api_.FindNext(find_.get(), nullptr, size)) return false;  // cannot hold an entry
    const DWORD error = ::GetLastError();
    if (error == ERROR_INSUFFICIENT_BUFFER && *size != 0) return true;
    if (error == ERROR_NO_MORE_ITEMS) return false;
    if (attempt >= policy_.attempts) return *size != 0;
    Pause();
  }
}

// Reads into twice the reported size. When the entry has grown meanwhile, the
// size the cache now asks for may exceed that block: the block is then made
// anew, so WinINet is never told more bytes than the buffer holds.
bool CCacheEntryReader::ReadEntry(DWORD reported, CacheEntryCopy* entry) {
  DWORD capacity = 0;
  std::unique_ptr<BYTE[]> block;
  DWORD size = reported;
  for (int attempt = 1;; ++attempt) {
    if (size > capacity) {
      if (size > MAXDWORD / 2) return false;
      capacity = 2 * size;
      block.reset();
      block.reset(new BYTE[capacity]);
    }
    std::memset(block.get(), 0, capacity);
    auto* record = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(block.get());
    BOOL ok = FALSE;
    if (!find_) {
      HANDLE found = api_.FindFirst(pattern_, record, &size);
      if (found) {
        find_ = CCacheFind(&api_, found);
        started_ = true;
      }
      ok = found != nullptr;
    } else {
      ok = api_.FindNext(find_.get(), record, &size);
    }
    if (ok) {
      CopyOut(*record, entry);
      return true;
    }
    if (attempt >= policy_.attempts) return false;
    Pause();
  }
}

bool CCacheEntryReader::Next(CacheEntryCopy* entry) {
  if (over_) return false;
  DWORD size = 0;
  const bool probed = find_ ? ProbeNext(&size) : ProbeFirst(&size);
  if (!probed || !ReadEntry(size, entry)) {
    over_ = true;
    find_.Reset();
    return false;
  }
  return true;
}

}  // namespace bpriv
