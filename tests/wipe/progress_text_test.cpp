#include "wipe/progress_text.h"

#include <gtest/gtest.h>

#include <string>

namespace bpriv {

namespace {

TEST(ProgressText, FitsOrKeepsTheEnd) {
  struct Case {
    size_t length;
    size_t expected_length;
    bool shortened;
  };
  const Case cases[] = {{0, 0, false}, {259, 259, false}, {260, 259, true}, {1000, 259, true}};
  for (const Case& c : cases) {
    std::u16string text;
    for (size_t i = 0; i < c.length; ++i) text.push_back(static_cast<char16_t>(u'a' + i % 26));
    char16_t field[kProgressTextUnits + 1];
    field[kProgressTextUnits] = 0x7777;  // guard behind the field
    char16_t(&record_field)[kProgressTextUnits] = *reinterpret_cast<char16_t(*)[kProgressTextUnits]>(field);
    SetProgressText(record_field, text.data(), text.size());
    const std::u16string got(field);
    ASSERT_EQ(got.size(), c.expected_length) << c.length;
    EXPECT_EQ(field[kProgressTextUnits], 0x7777);
    if (c.shortened) {
      EXPECT_EQ(got.substr(0, 3), u"...");
      EXPECT_EQ(got.substr(3), text.substr(text.size() - 256));
    } else {
      EXPECT_EQ(got, text);
    }
  }
}

TEST(ProgressText, DoesNotSplitASurrogatePair) {
  std::u16string text(300, u'x');
  text[300 - 256 - 1] = 0xD83D;  // pair straddling the cut
  text[300 - 256] = 0xDE00;
  ProgressRecord record;
  SetProgressText(record.current_item, text.data(), text.size());
  const std::u16string got(record.current_item);
  EXPECT_EQ(got, u"..." + text.substr(300 - 255));
}

}  // namespace

}  // namespace bpriv
