// The wipe algorithms: how many passes a file gets and what each pass writes.
#pragma once

#include <cstdint>
#include <string>

namespace bpriv {

// String-table ids of the algorithms' names and descriptions.
enum WipeStringId : uint32_t {
  kIdsZeroName = 117,
  kIdsZeroDescription = 118,
  kIdsRandomName = 119,
  kIdsRandomDescription = 125,
  kIdsDod3Name = 126,
  kIdsDod3Description = 127,
  kIdsDod7Name = 159,
  kIdsDod7Description = 160,
  kIdsGutmannName = 161,
  kIdsGutmannDescription = 162,
};

class CWipeAlgo {
 public:
  CWipeAlgo(const CWipeAlgo&) = delete;
  CWipeAlgo& operator=(const CWipeAlgo&) = delete;

  // Display name from the string table, cached once loaded; empty (and tried
  // again next time) while the entry is missing.
  virtual std::wstring GetName();
  // Stable name independent of the string table.
  virtual const wchar_t* GetKey() const = 0;
  virtual std::wstring GetDescription();
  virtual uint32_t GetPassCount() const = 0;
  // Fills `length` bytes with the data of pass `pass` for the chunk-th
  // buffer-full of that pass. Returns 1 when filled, 0 (buffer untouched)
  // for a pass the algorithm does not have or a null buffer.
  virtual int FillPass(uint32_t pass, void* buffer, uint32_t length, uint32_t chunk) = 0;

 protected:
  CWipeAlgo(uint32_t name_id, uint32_t description_id)
      : name_id_(name_id), description_id_(description_id) {}
  virtual ~CWipeAlgo() = default;

 private:
  const uint32_t name_id_;
  const uint32_t description_id_;
  std::wstring name_;
  std::wstring description_;
};

class CZeroAlgo : public CWipeAlgo {
 public:
  CZeroAlgo() : CWipeAlgo(kIdsZeroName, kIdsZeroDescription) {}
  const wchar_t* GetKey() const override { return L"Zeroes"; }
  uint32_t GetPassCount() const override { return 1; }
  int FillPass(uint32_t pass, void* buffer, uint32_t length, uint32_t chunk) override;
};

class CRandomAlgo : public CWipeAlgo {
 public:
  CRandomAlgo() : CWipeAlgo(kIdsRandomName, kIdsRandomDescription) {}
  const wchar_t* GetKey() const override { return L"Pseudo-random"; }
  uint32_t GetPassCount() const override { return 1; }
  int FillPass(uint32_t pass, void* buffer, uint32_t length, uint32_t chunk) override;
};

class CDOD3Algo : public CWipeAlgo {
 public:
  CDOD3Algo() : CWipeAlgo(kIdsDod3Name, kIdsDod3Description) {}
  const wchar_t* GetKey() const override { return L"DoD 5220.22-M (3)"; }
  uint32_t GetPassCount() const override { return 3; }
  int FillPass(uint32_t pass, void* buffer, uint32_t length, uint32_t chunk) override;
};

class CDOD7Algo : public CWipeAlgo {
 public:
  CDOD7Algo() : CWipeAlgo(kIdsDod7Name, kIdsDod7Description) {}
  const wchar_t* GetKey() const override { return L"DoD 5200.28-STD (7)"; }
  uint32_t GetPassCount() const override { return 7; }
  int FillPass(uint32_t pass, void* buffer, uint32_t length, uint32_t chunk) override;
};

class CPeterGutmannAlgo : public CWipeAlgo {
 public:
  CPeterGutmannAlgo() : CWipeAlgo(kIdsGutmannName, kIdsGutmannDescription) {}
  const wchar_t* GetKey() const override { return L"Peter Gutmann (35)"; }
  uint32_t GetPassCount() const override { return 35; }
  int FillPass(uint32_t pass, void* buffer, uint32_t length, uint32_t chunk) override;
};

// The process's one instance of each, registered by InitWipeAlgos.
extern CZeroAlgo g_zeroAlgo;
extern CRandomAlgo g_randomAlgo;
extern CDOD3Algo g_dod3Algo;
extern CDOD7Algo g_dod7Algo;
extern CPeterGutmannAlgo g_gutmannAlgo;

}  // namespace bpriv
