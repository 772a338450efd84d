#include "wipe/progress_text.h"

#include <gtest/gtest.h>

#include <string>

namespace bpriv {
namespace {

TEST(ProgressText, FitsOrKeepsTheEnd) {
  for (size_t length : {0u, 259u, 260u, 1000u}) {
    std::u16string text;
    for (size_t i = 0; i < length; ++i) text.push_back(static_cast<char16_t>(u'a' + i % 26));
    ProgressRecord record;
    record.heading[0] = u'h';  // the field behind must stay as it is
    SetProgressText(record.current_item, text.data(), text.size());
    const std::u16string got(record.current_item);
    EXPECT_EQ(got, length <= 259 ? text : u"..." + text.substr(length - 256)) << length;
    EXPECT_EQ(record.heading[0], u'h');
  }
  std::u16string pair(300, u'x');  // a surrogate pair straddling the cut
  pair[300 - 257] = 0xD83D;
  pair[300 - 256] = 0xDE00;
  ProgressRecord record;
  SetProgressText(record.current_item, pair.data(), pair.size());
  EXPECT_EQ(std::u16string(record.current_item), u"..." + pair.substr(300 - 255));
}

}  // namespace
}  // namespace bpriv
