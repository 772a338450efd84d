#include "cache/fake_url_cache.h"

#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

#include "support/run_process.h"

namespace bpriv::test {
namespace {

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return towlower(x) == towlower(y); });
}

constexpr const wchar_t* kContainers[] = {L"Cookie:", L"Visited:"};

// "Cookie:" and "Visited:" keys have their own container; the rest are
// temporary internet files (the default container, named "").
std::wstring ContainerOfKey(const std::wstring& key) {
  for (const wchar_t* prefix : kContainers)
    if (SameNoCase(key.substr(0, std::wcslen(prefix)), prefix)) return prefix;
  return L"";
}

BOOL Fail(DWORD error) {
  ::SetLastError(error);
  return FALSE;
}

wchar_t* Put(const std::wstring& s, wchar_t* at) {
  *std::copy(s.begin(), s.end(), at) = L'\0';
  return at;
}

}  // namespace

void FakeUrlCache::Add(const FakeEntry& entry) {
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [&](const Stored& s) { return s.entry.key == entry.key; }),
                 entries_.end());
  entries_.push_back({next_id_++, entry});
}

const FakeEntry* FakeUrlCache::Find(const std::wstring& key) const {
  for (const Stored& s : entries_)
    if (s.entry.key == key) return &s.entry;
  return nullptr;
}

DWORD FakeUrlCache::RecordSize(const FakeEntry& e) {
  const size_t units = e.key.size() + 1 + (e.local_file ? e.local_file->size() + 1 : 0);
  return static_cast<DWORD>(sizeof(INTERNET_CACHE_ENTRY_INFOW) + units * sizeof(wchar_t)) + e.extra_bytes;
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
  const FakeEntry& e = stored.entry;
  buffer->dwStructSize = sizeof(*buffer);
  buffer->lpszSourceUrlName = Put(e.key, reinterpret_cast<wchar_t*>(buffer + 1));
  if (e.local_file) buffer->lpszLocalFileName = Put(*e.local_file, buffer->lpszSourceUrlName + e.key.size() + 1);
  buffer->CacheEntryType = e.type;
  buffer->dwSizeLow = e.size_low;
  buffer->ExpireTime = e.expire_time;
  buffer->LastModifiedTime = e.last_modified_time;
  buffer->LastAccessTime = e.last_access_time;
  buffer->dwHeaderInfoSize = e.extra_bytes;
  *size = needed;
  return TRUE;
}

bool FakeUrlCache::Busy(const INTERNET_CACHE_ENTRY_INFOW* buffer) {
  if (busy_calls > 0) return --busy_calls, true;
  if (!buffer) return false;
  if (reads_before_busy > 0) return --reads_before_busy, false;
  return busy_reads > 0 && (--busy_reads, true);
}

HANDLE FakeUrlCache::FindFirst(const wchar_t* pattern, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) {
  ++calls;
  first_patterns.push_back(pattern ? pattern : L"(null)");
  if (Busy(buffer)) return Fail(ERROR_SHARING_VIOLATION), nullptr;
  std::optional<std::wstring> container;
  if (!pattern) container = wine_matching ? L"*" : L"";
  for (const wchar_t* name : kContainers)
    if (pattern && (wine_matching ? std::wcscmp(pattern, name) == 0 : SameNoCase(pattern, name))) container = name;
  Stored* first = container ? NextIn(*container, 0) : nullptr;
  if (!first) return Fail(ERROR_NO_MORE_ITEMS), nullptr;
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
  if (Busy(buffer)) return Fail(ERROR_SHARING_VIOLATION);
  Stored* next = NextIn(it->second.first, it->second.second);
  if (!next) return Fail(ERROR_NO_MORE_ITEMS);
  if (!Deliver(*next, buffer, size)) return FALSE;
  it->second.second = next->id;
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
  const size_t before = entries_.size();
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [&](const Stored& s) { return key && s.entry.key == key; }),
                 entries_.end());
  return entries_.size() < before ? TRUE : Fail(ERROR_FILE_NOT_FOUND);
}

BOOL FakeUrlCache::Commit(const wchar_t* key, const wchar_t* local_file, FILETIME expire, FILETIME last_modified,
                          DWORD type) {
  ++calls;
  if (!key || !*key) return Fail(ERROR_INVALID_PARAMETER);
  if (on_commit) on_commit(key, local_file);
  FakeEntry e{key, std::nullopt, type, 0, expire, last_modified};
  if (local_file) e.local_file = std::wstring(local_file);
  ::GetSystemTimeAsFileTime(&e.last_access_time);
  Add(e);
  return TRUE;
}

void ResetRealCache() {
  (void)RunAgentctl(L"seed --clear");
  wchar_t local[MAX_PATH] = {};
  if (!::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH)) return;
  const std::wstring folder = std::wstring(local) + L"\\Microsoft\\Windows\\History\\History.IE5";
  ::DeleteFileW((folder + L"\\index.dat").c_str());
  ::RemoveDirectoryW(folder.c_str());  // only when nothing else is in it
}

}  // namespace bpriv::test
