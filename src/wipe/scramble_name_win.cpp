#include "wipe/scramble_name_win.h"

#include <windows.h>

#include "wipe/random.h"
#include "wipe/scramble.h"
#include "wipe/wipe_platform_win.h"

namespace bpriv {

namespace {

constexpr int32_t kRenames = 26;

std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

class CHandleScrambleOps : public CScrambleOps {
 public:
  explicit CHandleScrambleOps(CSafeFile& file) : file_(file) {}
  std::wstring MakeName(uint32_t sequence, int32_t target_length) override {
    return MakeRandomName(sequence, target_length);
  }
  uint32_t Move(const std::wstring&, const std::wstring& to) override {
    // Never over an existing name: a clash is just a failure.
    return file_.Rename(NameOf(to));
  }

 private:
  CSafeFile& file_;
};

}  // namespace

std::wstring MakeRandomName(uint32_t sequence, int32_t target_length) {
  const uint32_t tick = ::GetTickCount();
  uint32_t draws[6];
  for (uint32_t& draw : draws) draw = GetRandom();
  return MakeRandomNameFrom(draws, tick, sequence, target_length);
}

int ScrambleName(CSafeFile& file, std::wstring* final_path, int32_t count) {
  InstallWipePlatform();
  CHandleScrambleOps ops(file);
  return ScrambleWith(ops, file.path(), final_path, count);
}

bool ScrambleAndDelete(CSafeFile& file) {
  if (!file) return false;
  const std::wstring first = NameOf(file.path());
  std::wstring final_path;
  (void)ScrambleName(file, &final_path, kRenames);
  if (file.Delete() == 0) {
    file.Close();
    return true;
  }
  (void)file.Rename(first);
  return false;
}

}  // namespace bpriv
