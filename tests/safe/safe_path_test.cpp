#include "safe/safe_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bpriv {
namespace {

using Names = std::vector<std::u16string_view>;

// The names below an anchor; each name's own rules are the cookie path's.
TEST(SafePath, NamesBelowAnAnchor) {
  const struct { std::u16string anchor, path; std::optional<Names> names; } cases[] = {
      {u"C:\\a", u"C:\\a\\b\\c.txt", Names{u"b", u"c.txt"}}, {u"C:\\A\\", u"c:\\a\\b", Names{u"b"}},
      {u"C:\\", u"C:\\b", Names{u"b"}},        {u"C:\\a", u"C:\\a", std::nullopt},
      {u"C:\\a", u"C:\\a\\", std::nullopt},  {u"C:\\a", u"C:\\ab\\c", std::nullopt},
      {u"", u"\\c", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NamesBelow(c.anchor, c.path, SameAsciiNoCase), c.names) << std::string(c.path.begin(), c.path.end());
}

// The final path must be the anchor's followed by exactly the names asked
// for: a link on the way shows as another path, or one of another length.
TEST(SafePath, FinalPathBelowTheAnchorsFinalPath) {
  const std::u16string anchor = u"\\\\?\\D:\\moved\\LocalLow";
  const Names names = {u"Brightsweep", u"Saved"};
  const struct { std::u16string final_path; bool ok; } cases[] = {
      {anchor + u"\\Brightsweep\\Saved", true},  {u"\\\\?\\d:\\MOVED\\locallow\\brightsweep\\saved", true},
      {anchor + u"\\Brightsweep\\Saved2", false}, {anchor + u"\\Brightsweep\\Save", false},
      {anchor + u"\\Brightsweep", false},         {anchor + u"\\Other\\Saved", false},
      {anchor + u"\\Brightsweep\\x\\Saved", false}, {u"\\\\?\\C:\\users\\Saved", false},
      {anchor + u"XBrightsweep\\Saved", false},   {u"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsFinalPathBelow(c.final_path, anchor + u"\\", names, SameAsciiNoCase), c.ok)
        << std::string(c.final_path.begin(), c.final_path.end());
  EXPECT_FALSE(IsFinalPathBelow(u"\\Brightsweep\\Saved", u"", names, SameAsciiNoCase)) << "no anchor";
}

}  // namespace
}  // namespace bpriv
