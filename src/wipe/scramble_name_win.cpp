#include "wipe/scramble_name_win.h"

#include <windows.h>

#include "wipe/random.h"
#include "wipe/scramble.h"
#include "wipe/wipe_platform_win.h"

namespace bpriv {

namespace {

class CWinScrambleOps : public CScrambleOps {
 public:
  std::wstring MakeName(uint32_t sequence, int32_t target_length) override {
    return MakeRandomName(sequence, target_length);
  }
  uint32_t Move(const std::wstring& from, const std::wstring& to) override {
    // MoveFileW never replaces an existing name: a clash is just a failure.
    if (::MoveFileW(from.c_str(), to.c_str())) return 0;
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
  }
};

}  // namespace

std::wstring MakeRandomName(uint32_t sequence, int32_t target_length) {
  const uint32_t tick = ::GetTickCount();
  uint32_t draws[6];
  for (uint32_t& draw : draws) draw = GetRandom();
  return MakeRandomNameFrom(draws, tick, sequence, target_length);
}

int ScrambleName(const std::wstring& path, std::wstring* final_path, int32_t count) {
  if (path.empty()) {  // a caller error; never rename relative to the working folder
    final_path->clear();
    return 1;
  }
  InstallWipePlatform();
  CWinScrambleOps ops;
  return ScrambleWith(ops, path, final_path, count);
}

}  // namespace bpriv
