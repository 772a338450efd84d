#include "link/process_name.h"

#include <gtest/gtest.h>

namespace bpriv {
namespace {

TEST(ExeNameEndsWith, MatchesControllerNameByItsEnd) {
  struct {
    std::u16string_view exe;
    std::u16string_view name;
    bool match;
  } cases[] = {
      {u"BSweepRun.exe", kControllerExeName, true},
      {u"xBSweepRun.exe", kControllerExeName, true},
      {u"bsweeprun.EXE", kControllerExeName, true},
      {u"BSWEEPRUN.EXE", kControllerExeName, true},
      {u"BSweepRun.exe.bak", kControllerExeName, false},
      {u"SweepRun.exe", kControllerExeName, false},
      {u"BSweepRun.ex", kControllerExeName, false},
      {u"BSweepRun.exx", kControllerExeName, false},  // only the last unit differs
      {u"", kControllerExeName, false},
      {u"BSweepRun.exe", u"", false},
      // Only A-Z fold: other letters, and the bytes next to them, must be equal.
      {u"\u00e9.exe", u"\u00c9.exe", false},
      {u"\u00c9.exe", u"\u00c9.EXE", true},
      {u"[.exe", u"{.exe", false},  // '[' and '{' differ by the case bit but are no letters
      {u"@.exe", u"`.exe", false},
      // The ends of the folded range: a/A and z/Z.
      {u"za.exe", u"ZA.EXE", true},
      {u"ZA.EXE", u"za.exe", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ExeNameEndsWith(c.exe, c.name), c.match)
        << std::string(c.exe.begin(), c.exe.end()) << " / " << std::string(c.name.begin(), c.name.end());
}

}  // namespace
}  // namespace bpriv
