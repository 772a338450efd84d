#include "link/record_format.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "link/process_name.h"

namespace bpriv {
namespace {

TEST(RecordFormat, EveryRecordByteForByte) {
  const std::u16string smiley = u"\U0001F600x";  // three UTF-16 units: the title length counts units, not characters
  const std::u16string url = u"http://b.example/" + std::u16string(100, u'u');  // far longer than its title
  const std::pair<std::u16string, std::u16string> cases[] = {  // record, expected
      {FormatHistoryEntryRecord(7, 5, 0, u"", u"http://b.example/x y"), u"PRIVILEGE 00 7 5 0 0   http://b.example/x y"},
      {FormatHistoryEntryRecord(7, 0x80000000u, 0xFFFFFFFFu, u"\"q\"", u"u"), u"PRIVILEGE 00 7 -2147483648 -1 3 \"q\" u"},
      {FormatHistoryEntryRecord(2147483647, 0x7FFFFFFFu, 0, u" ", url), u"PRIVILEGE 00 2147483647 2147483647 0 1   " + url},
      {FormatHistoryEntryRecord(1, 0, 0, smiley, u"u"), u"PRIVILEGE 00 1 0 0 3 " + smiley + u" u"},
      // A folder item's name is cut at 259 UTF-16 units.
      {FormatFolderItemRecord(9, 2, std::u16string(259, u'n')), u"PRIVILEGE 00 9 2 " + std::u16string(259, u'n')},
      {FormatFolderItemRecord(9, 2, std::u16string(400, u'n')), u"PRIVILEGE 00 9 2 " + std::u16string(259, u'n')},
      {FormatFolderOpenRecord(), u"PRIVILEGE +1"},
      {FormatFolderCloseRecord(-5), u"PRIVILEGE -1 -5"},
      {FormatItemDoneRecord(), u"PRIVILEGE 01"},
  };
  for (const auto& [record, expected] : cases) EXPECT_EQ(record, expected);
}

TEST(ExeNameEndsWith, MatchesControllerNameByItsEndFoldingOnlyAToZ) {
  const std::tuple<std::u16string_view, std::u16string_view, bool> cases[] = {  // exe, name, match
      {u"BSweepRun.exx", kControllerExeName, false},     {u"xbsweeprun.EXE", kControllerExeName, true},
      {u"BSweepRun.exe.bak", kControllerExeName, false}, {u"SweepRun.exe", kControllerExeName, false},
      {u"BSweepRun.exe", u"", false},                    {u"\u00e9.exe", u"\u00c9.exe", false},
      {u"[.exe", u"{.exe", false},                       {u"@.exe", u"`.exe", false},
      {u"za.exe", u"ZA.EXE", true},                      {u"ZA.EXE", u"za.exe", true},
  };
  for (const auto& [exe, name, match] : cases)
    EXPECT_EQ(ExeNameEndsWith(exe, name), match) << std::string(exe.begin(), exe.end());
}

}  // namespace
}  // namespace bpriv
