#include "wipe/algo_registry.h"

#include <cwctype>
#include <new>

#include "wipe/wipe_algo.h"

namespace bpriv {

namespace {

constexpr uint32_t kMaxAlgoCapacity = 536870911u;

CAlgoRegistry& Registry() {
  static CAlgoRegistry registry;
  return registry;
}

}  // namespace

bool GrowAlgoCapacity(uint32_t capacity, uint32_t* grown) {
  const uint64_t next = capacity == 0 ? 1u : uint64_t{capacity} * 2u;
  if (next > kMaxAlgoCapacity) return false;
  *grown = static_cast<uint32_t>(next);
  return true;
}

bool NamesEqualNoCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) {
      return false;
    }
  }
  return true;
}

int CAlgoRegistry::Register(CWipeAlgo* algo) {
  if (FindByName(algo->GetName()) != nullptr) return 0;
  if (algos_.size() == capacity_) {
    uint32_t grown = 0;
    if (!GrowAlgoCapacity(capacity_, &grown)) return 0;
    try {
      algos_.reserve(grown);
    } catch (const std::bad_alloc&) {
      return 0;
    }
    capacity_ = grown;
  }
  algos_.push_back(algo);
  return 1;
}

CWipeAlgo* CAlgoRegistry::Get(int32_t index) const {
  if (index < 0 || static_cast<uint32_t>(index) >= Count()) return nullptr;
  return algos_[static_cast<size_t>(index)];
}

CWipeAlgo* CAlgoRegistry::FindByName(const std::wstring& name) const {
  for (CWipeAlgo* algo : algos_) {
    if (NamesEqualNoCase(algo->GetName(), name)) return algo;
  }
  return nullptr;
}

int RegisterAlgo(CWipeAlgo* algo) { return Registry().Register(algo); }
CWipeAlgo* GetAlgo(int32_t index) { return Registry().Get(index); }
CWipeAlgo* FindAlgoByName(const std::wstring& name) { return Registry().FindByName(name); }
uint32_t GetAlgoCount() { return Registry().Count(); }

void RegisterBuiltinAlgos() {
  if (GetAlgoCount() != 0) return;
  RegisterAlgo(&g_zeroAlgo);
  RegisterAlgo(&g_randomAlgo);
  RegisterAlgo(&g_dod3Algo);
  RegisterAlgo(&g_dod7Algo);
  RegisterAlgo(&g_gutmannAlgo);
}

}  // namespace bpriv
