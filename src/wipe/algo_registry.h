// The wipe-algorithm registry: the algorithms reachable by index (the clean
// jobs' command line) and by display name (the restore job).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bpriv {

class CWipeAlgo;

// Growth rule of the registry's array: capacity 1 when empty, doubled
// otherwise, refused beyond 536870911 entries. False when it cannot grow.
bool GrowAlgoCapacity(uint32_t capacity, uint32_t* grown);

class CAlgoRegistry {
 public:
  // 1 when added; 0 when an algorithm of the same name (ignoring case) is
  // already there or the array cannot grow. Does not take ownership.
  int Register(CWipeAlgo* algo);
  CWipeAlgo* Get(int32_t index) const;
  CWipeAlgo* FindByName(const std::wstring& name) const;
  uint32_t Count() const { return static_cast<uint32_t>(algos_.size()); }

 private:
  std::vector<CWipeAlgo*> algos_;
  uint32_t capacity_ = 0;
};

// The process-wide registry. Filled on the main thread before any worker
// starts, read-only afterwards.
int RegisterAlgo(CWipeAlgo* algo);
CWipeAlgo* GetAlgo(int32_t index);
CWipeAlgo* FindAlgoByName(const std::wstring& name);
uint32_t GetAlgoCount();

// Registers the five algorithms in index order if the registry is empty.
void RegisterBuiltinAlgos();

// Start-up, before the jobs that wipe: installs the resource string table and
// the platform seed reader, then RegisterBuiltinAlgos. Returns 1 when the
// registry holds algorithms afterwards. Windows side only.
int InitWipeAlgos();

// Case-insensitive equality of two names.
bool NamesEqualNoCase(const std::wstring& a, const std::wstring& b);

}  // namespace bpriv
