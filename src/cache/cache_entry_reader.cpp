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

bool CCacheEntryReader::ProbeFirst(const wchar_t* pattern, DWORD* size) {
  for (int attempt = 1;; ++attempt) {
    *size = 0;
    HANDLE probe = api_.FindFirst(pattern, nullptr, size);
    if (probe) {  // a cache that answers a probe with a handle: not ours to keep
      (void)api_.FindClose(probe);
      return false;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_INSUFFICIENT_BUFFER && *size != 0) return true;
    if (error == ERROR_NO_MORE_ITEMS) {
      const wchar_t* second = SecondSpellingOf(pattern);
      if (second && pattern == pattern_) {
        pattern_ = second;
        return ProbeFirst(second, size);
      }
      return false;
    }
    if (attempt >= policy_.attempts) return false;
    Pause();
  }
}

bool CCacheEntryReader::ProbeNext(DWORD* size) {
  for (int attempt = 1;; ++attempt) {
    *size = 0;
    if (api_.FindNext(find_.get(), nullptr, size)) return false;  // cannot hold an entry
    const DWORD error = ::GetLastError();
    if (error == ERROR_INSUFFICIENT_BUFFER && *size != 0) return true;
    if (error == ERROR_NO_MORE_ITEMS || attempt >= policy_.attempts) return false;
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
  const bool probed = find_ ? ProbeNext(&size) : ProbeFirst(pattern_, &size);
  if (!probed || !ReadEntry(size, entry)) {
    over_ = true;
    find_.Reset();
    return false;
  }
  return true;
}

}  // namespace bpriv
