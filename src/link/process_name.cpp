#include "link/process_name.h"

namespace bpriv {
namespace {

// Only A-Z fold: the platform's own case rules would also fold other letters.
char16_t FoldAsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

}  // namespace

bool ExeNameEndsWith(std::u16string_view exe_file, std::u16string_view name) {
  if (name.empty() || exe_file.size() < name.size()) return false;
  std::u16string_view tail = exe_file.substr(exe_file.size() - name.size());
  for (size_t i = 0; i < name.size(); ++i)
    if (FoldAsciiUpper(tail[i]) != FoldAsciiUpper(name[i])) return false;
  return true;
}

}  // namespace bpriv
