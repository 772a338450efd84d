#include "cache/fake_url_cache.h"

#include <malloc.h>

#include <algorithm>
#include <cstring>

#include "support/run_process.h"

namespace bpriv::test {
namespace {

constexpr const wchar_t* kContainers[] = {L"Cookie:", L"Visited:"};

BOOL Fail(DWORD error) { return ::SetLastError(error), FALSE; }

// "Cookie:" and "Visited:" keys have their own container; the rest are
// temporary internet files (the default container, named "").
std::wstring ContainerOf(const std::wstring& key) {
  for (const wchar_t* name : kContainers)
    if (_wcsnicmp(key.c_str(), name, std::wcslen(name)) == 0) return name;
  return L"";
}

// Writes the record when it fits; like WinINet, reports the needed size when not.
BOOL Deliver(FakeUrlCache& cache, FakeEntry& e, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) {
  const DWORD needed = FakeUrlCache::RecordSize(e);
  if (!buffer || *size < needed) {
    *size = needed;
    if (!buffer) e.extra_bytes += cache.grow_after_probe;
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  if (*size > _msize(buffer)) return ++cache.oversized_claims, Fail(ERROR_INVALID_PARAMETER);  // heap blocks only
  auto* bytes = reinterpret_cast<BYTE*>(buffer);
  if (std::any_of(bytes, bytes + *size, [](BYTE b) { return b != 0; })) ++cache.dirty_buffers;
  auto* text = reinterpret_cast<wchar_t*>(buffer + 1);
  const std::wstring texts = e.key + L'\0' + (e.local_file ? *e.local_file + L'\0' : std::wstring());
  std::copy(texts.begin(), texts.end(), text);
  *buffer = {sizeof(*buffer), text, e.local_file ? text + e.key.size() + 1 : nullptr, e.type, 0, 0, e.size_low, 0,
             e.last_modified_time, e.expire_time, e.last_access_time, {}, nullptr, e.extra_bytes};
  return *size = needed, TRUE;
}

}  // namespace

void FakeUrlCache::Add(const FakeEntry& entry) {
  Erase(entry.key.c_str());
  entries_.push_back({next_id_++, entry});
}

const FakeEntry* FakeUrlCache::Find(const std::wstring& key) const {
  for (const auto& [id, e] : entries_)
    if (e.key == key) return &e;
  return nullptr;
}

DWORD FakeUrlCache::RecordSize(const FakeEntry& e) {
  const size_t units = e.key.size() + 1 + (e.local_file ? e.local_file->size() + 1 : 0);
  return static_cast<DWORD>(sizeof(INTERNET_CACHE_ENTRY_INFOW) + units * sizeof(wchar_t)) + e.extra_bytes;
}

// The next entry of the find's container after the last one read.
BOOL FakeUrlCache::Step(std::pair<std::wstring, unsigned>& find, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) {
  if (busy_calls > 0) return --busy_calls, Fail(ERROR_SHARING_VIOLATION);
  if (buffer && reads_before_busy > 0) --reads_before_busy;
  else if (buffer && busy_reads > 0) return --busy_reads, Fail(ERROR_SHARING_VIOLATION);
  for (auto& [id, e] : entries_)
    if (id > find.second && (find.first == L"*" || ContainerOf(e.key) == find.first))
      return Deliver(*this, e, buffer, size) && (find.second = id, true);
  return Fail(ERROR_NO_MORE_ITEMS);
}

HANDLE FakeUrlCache::FindFirst(const wchar_t* pattern, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) {
  first_patterns.push_back(pattern ? pattern : L"(null)");
  std::pair<std::wstring, unsigned> find{pattern ? L"?" : wine_matching ? L"*" : L"", 0};
  for (const wchar_t* name : kContainers)
    if (pattern && (wine_matching ? std::wcscmp(pattern, name) : _wcsicmp(pattern, name)) == 0) find.first = name;
  if (!Step(find, buffer, size)) return nullptr;
  const HANDLE handle = reinterpret_cast<HANDLE>(uintptr_t{next_id_++});
  finds_[handle] = find;
  return ++open_finds, handle;
}

BOOL FakeUrlCache::FindNext(HANDLE find, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) {
  ++find_next_calls;
  auto it = finds_.find(find);
  return it == finds_.end() ? Fail(ERROR_INVALID_HANDLE) : Step(it->second, buffer, size);
}

BOOL FakeUrlCache::FindClose(HANDLE find) {
  return finds_.erase(find) ? (--open_finds, TRUE) : Fail(ERROR_INVALID_HANDLE);
}

BOOL FakeUrlCache::GetEntryInfo(const wchar_t* key, INTERNET_CACHE_ENTRY_INFOW* buffer, DWORD* size) {
  if (on_lookup) on_lookup();
  auto* e = key ? const_cast<FakeEntry*>(Find(key)) : nullptr;
  return e ? Deliver(*this, *e, buffer, size) : Fail(ERROR_FILE_NOT_FOUND);
}

bool FakeUrlCache::Erase(const wchar_t* key) {
  auto it = std::find_if(entries_.begin(), entries_.end(), [&](const auto& s) { return s.second.key == key; });
  return it != entries_.end() && (entries_.erase(it), true);
}

BOOL FakeUrlCache::DeleteEntry(const wchar_t* key) {
  if (on_delete) on_delete(key);
  return key && Erase(key) ? TRUE : Fail(ERROR_FILE_NOT_FOUND);
}

BOOL FakeUrlCache::Commit(const wchar_t* key, const wchar_t* local_file, FILETIME expire, FILETIME last_modified,
                          DWORD type) {
  if (!key || !*key) return Fail(ERROR_INVALID_PARAMETER);
  if (on_commit) on_commit(key, local_file);
  FakeEntry e{key, local_file ? std::optional<std::wstring>(local_file) : std::nullopt, type, 0, expire, last_modified};
  ::GetSystemTimeAsFileTime(&e.last_access_time);
  return Add(e), TRUE;
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
