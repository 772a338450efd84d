// How the agent recognises the controller's process by its file name.
// Pure code.
#pragma once
#include <string_view>

namespace bpriv {

// The controller's file name; any process whose file name ends in it counts.
inline constexpr std::u16string_view kControllerExeName = u"BSweepRun.exe";

// True when `name` is non-empty and the executable file name ends in it,
// the letters A-Z compared without case and every other unit exactly.
bool ExeNameEndsWith(std::u16string_view exe_file, std::u16string_view name);

}  // namespace bpriv
