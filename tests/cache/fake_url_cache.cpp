#include "cache/fake_url_cache.h"

#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace bpriv::test {
namespace {

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return towlower(x) == towlower(y); });
}

// The container of a key: "Cookie:" and "Visited:" keys have their own, the
// rest are temporary internet files (the default container, named "").
std::wstring ContainerOfKey(const std::wstring& key) {
  for (const wchar_t* prefix : {L"Cookie:", L"Visited:"})
    if (SameNoCase(key.substr(0, std::wcslen(prefix)), prefix)) return prefix;
  return L"";
}

BOOL Fail(DWORD error) {
  ::SetLastError(error);
  return FALSE;
}

}  // namespace

void FakeUrlCache::Add(const FakeEntry& entry) {
  auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Stored& s) { return s.entry.key == entry.key; });
  if (it != entries_.end()) entries_.erase(it);
  entries_.push_back({next_id_++, entry});
}

const FakeEntry* FakeUrlCache::Find(const std::wstring& key) const {
  for (const Stored& s : entries_)
    if (s.entry.key == key) return &s.entry;
  return nullptr;
}

DWORD FakeUrlCache::RecordSize(const FakeEntry& e) {
  DWORD size = sizeof(INTERNET_CACHE_ENTRY_INFOW) + static_cast<DWORD>((e.key.size() + 1) * sizeof(wchar_t));
  if (e.local_file) size += static_cast<DWORD>((e.local_file->size() + 1) * sizeof(wchar_t));
  return size + e.extra_bytes;
}

std::optional<std::wstring> FakeUrlCache::ContainerOf(const wchar_t* pattern) const {
  if (!pattern) return std::wstring(wine_matching ? L"*" : L"");
  for (const wchar_t* name : {L"Cookie:", L"Visited:"})
    if (wine_matching ? std::wcscmp(pattern, name) == 0 : SameNoCase(pattern, name)) return std::wstring(name);
  return std::nullopt;
}

FakeUrlCache::Stored* FakeUrlCache::NextIn(const std::wstring& container, unsigned after_id) {
  for (Stored& s : entries_)
    if (s.id > after_id && (container == L"*" || ContainerOfKey(s.entry.key) == container)) return &s;
  return nullptr;
}

// Writes the record when it fits; like WinINet, reports the needed size when not.
BOOL FakeUrlCache::Deliver(Stored& stored, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) {
  const DWORD needed = RecordSize(stored.entry);
  if (!buffer || *size < needed) {
    *size = needed;
    if (!buffer) stored.entry.extra_bytes += grow_after_probe;
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  if (*size > _msize(buffer)) {  // only heap blocks reach this cache
    ++oversized_claims;
    return Fail(ERROR_INVALID_PARAMETER);
  }
  auto* bytes = reinterpret_cast<BYTE*>(buffer);
  if (std::any_of(bytes, bytes + *size, [](BYTE b) { return b != 0; })) ++dirty_buffers;

  std::memset(buffer, 0, sizeof(*buffer));
  buffer->dwStructSize = sizeof(*buffer);
  wchar_t* strings = reinterpret_cast<wchar_t*>(buffer + 1);
  const FakeEntry& e = stored.entry;
  std::copy(e.key.begin(), e.key.end(), strings);
  strings[e.key.size()] = L'\0';
  buffer->lpszSourceUrlName = strings;
  strings += e.key.size() + 1;
  if (e.local_file) {
    std::copy(e.local_file->begin(), e.local_file->end(), strings);
    strings[e.local_file->size()] = L'\0';
    buffer->lpszLocalFileName = strings;
  }
  buffer->CacheEntryType = e.type;
  buffer->dwSizeLow = e.size_low;
  buffer->ExpireTime = e.expire_time;
  buffer->LastModifiedTime = e.last_modified_time;
  buffer->LastAccessTime = e.last_access_time;
  buffer->dwHeaderInfoSize = e.extra_bytes;
  *size = needed;
  return TRUE;
}

bool FakeUrlCache::ReadIsBusy(const INTERNET_CACHE_ENTRY_INFOW* buffer) {
  if (!buffer) return false;
  if (reads_before_busy > 0) {
    --reads_before_busy;
    return false;
  }
  if (busy_reads <= 0) return false;
  --busy_reads;
  return true;
}

HANDLE FakeUrlCache::FindFirst(const wchar_t* pattern, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) {
  ++calls;
  first_patterns.push_back(pattern ? pattern : L"(null)");
  if (busy_calls > 0 || ReadIsBusy(buffer)) {
    if (busy_calls > 0) --busy_calls;
    Fail(ERROR_SHARING_VIOLATION);
    return nullptr;
  }
  std::optional<std::wstring> container = ContainerOf(pattern);
  Stored* first = container ? NextIn(*container, 0) : nullptr;
  if (!first) {
    Fail(ERROR_NO_MORE_ITEMS);
    return nullptr;
  }
  if (!Deliver(*first, buffer, size)) return nullptr;
  HANDLE find = reinterpret_cast<HANDLE>(next_handle_++);
  finds_[find] = {*container, first->id};
  ++open_finds;
  return find;
}

BOOL FakeUrlCache::FindNext(HANDLE find, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) {
  ++calls;
  auto it = finds_.find(find);
  if (it == finds_.end()) return Fail(ERROR_INVALID_HANDLE);
  if (busy_calls > 0) {
    --busy_calls;
    return Fail(ERROR_SHARING_VIOLATION);
  }
  if (ReadIsBusy(buffer)) return Fail(ERROR_SHARING_VIOLATION);
  Stored* next = NextIn(it->second.container, it->second.last_id);
  if (!next) return Fail(ERROR_NO_MORE_ITEMS);
  if (!Deliver(*next, buffer, size)) return FALSE;
  it->second.last_id = next->id;
  return TRUE;
}

BOOL FakeUrlCache::FindClose(HANDLE find) {
  ++calls;
  if (!finds_.erase(find)) return Fail(ERROR_INVALID_HANDLE);
  --open_finds;
  return TRUE;
}

BOOL FakeUrlCache::GetEntryInfo(const wchar_t* key, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) {
  ++calls;
  for (Stored& s : entries_)
    if (key && s.entry.key == key) return Deliver(s, buffer, size);
  return Fail(ERROR_FILE_NOT_FOUND);
}

BOOL FakeUrlCache::DeleteEntry(const wchar_t* key) {
  ++calls;
  auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Stored& s) { return key && s.entry.key == key; });
  if (it == entries_.end()) return Fail(ERROR_FILE_NOT_FOUND);
  entries_.erase(it);
  return TRUE;
}

BOOL FakeUrlCache::Commit(const wchar_t* key, const wchar_t* local_file, FILETIME expire, FILETIME last_modified,
                          DWORD type) {
  ++calls;
  if (!key || !*key) return Fail(ERROR_INVALID_PARAMETER);
  if (on_commit) on_commit(key, local_file);
  FakeEntry e;
  e.key = key;
  if (local_file) e.local_file = std::wstring(local_file);
  e.type = type;
  e.expire_time = expire;
  e.last_modified_time = last_modified;
  ::GetSystemTimeAsFileTime(&e.last_access_time);
  Add(e);
  return TRUE;
}

}  // namespace bpriv::test
