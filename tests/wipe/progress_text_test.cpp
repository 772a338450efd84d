#include "wipe/progress_text.h"

#include <gtest/gtest.h>

#include <string>

namespace bpriv {
namespace {

TEST(ProgressText, FitsOrKeepsTheEnd) {
  // One record throughout: each text is shorter than the one before, so a
  // missing terminator would leave the previous text's tail behind.
  ProgressRecord record;
  record.heading[0] = u'h';  // the field behind must stay as it is
  for (size_t length : {1000u, 260u, 259u, 3u, 0u}) {
    std::u16string text;
    for (size_t i = 0; i < length; ++i) text.push_back(static_cast<char16_t>(u'a' + i % 26));
    SetProgressText(record.current_item, text.data(), text.size());
    const std::u16string got(record.current_item);
    EXPECT_EQ(got, length <= 259 ? text : u"..." + text.substr(length - 256)) << length;
    EXPECT_EQ(record.heading[0], u'h');
  }
}

TEST(ProgressText, CutNeverStartsWithALowSurrogate) {
  // The unit where the kept part would start: low surrogates are skipped.
  const struct {
    char16_t unit;
    bool skipped;
  } cases[] = {{0xDC00, true}, {0xDE00, true}, {0xDFFF, true}, {0xDBFF, false}, {0xE000, false}};
  for (const auto& c : cases) {
    std::u16string text(300, u'x');
    text[300 - 256] = c.unit;
    ProgressRecord record;
    SetProgressText(record.current_item, text.data(), text.size());
    EXPECT_EQ(std::u16string(record.current_item), u"..." + text.substr(300 - (c.skipped ? 255 : 256)))
        << std::hex << c.unit;
  }
}

}  // namespace
}  // namespace bpriv
