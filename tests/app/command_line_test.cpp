#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace bpriv {
namespace {

std::u16string U(const char* s) { return std::u16string(s, s + std::char_traits<char>::length(s)); }

struct Case {
  const char* options;
  Job job;
  int32_t number;   // listing number
  bool epm;
  bool fill;        // wipe-algorithm registry filled
  CleanParams clean;
  friend void PrintTo(const Case& c, std::ostream* os) { *os << '"' << c.options << '"'; }
};

class ParseOptionsTest : public ::testing::TestWithParam<Case> {};

TEST_P(ParseOptionsTest, PicksJobAndFields) {
  const Case& c = GetParam();
  Command cmd = ParseOptions(U(c.options));
  EXPECT_EQ(cmd.job, c.job);
  EXPECT_EQ(cmd.epm, c.epm);
  EXPECT_EQ(cmd.fill_algorithms, c.fill);
  // Every field, whatever the job: a malformed switch leaves all of them unset.
  EXPECT_EQ(cmd.listing_number, c.number);
  EXPECT_EQ(cmd.clean.display, c.clean.display);
  EXPECT_EQ(cmd.clean.wipe, c.clean.wipe);
  EXPECT_EQ(cmd.clean.algorithm, c.clean.algorithm);
  EXPECT_EQ(cmd.clean.options, c.clean.options);
}

constexpr CleanParams kNoClean{};

INSTANTIATE_TEST_SUITE_P(
    Listing, ParseOptionsTest,
    ::testing::Values(
        Case{"/BSWLOADHISTORY1234", Job::kListHistory, 1234, false, false, kNoClean},
        Case{"/BSWLOADHISTORY1234 /EPM", Job::kListHistory, 1234, true, false, kNoClean},
        Case{"/EPM /BSWLOADTIF77", Job::kListTempFiles, 77, true, false, kNoClean},
        Case{"/BSWLOADCOOKIES0", Job::kListCookies, 0, false, false, kNoClean},
        Case{"/BSWLOADHISTORY", Job::kNone, 0, false, false, kNoClean},
        Case{"/BSWLOADHISTORY 12", Job::kNone, 0, false, false, kNoClean},
        Case{"/BSWLOADHISTORY12a", Job::kNone, 0, false, false, kNoClean},
        Case{"/BSWLOADHISTORY-1", Job::kNone, 0, false, false, kNoClean},
        Case{"/BSWLOADHISTORY2147483647", Job::kListHistory, 2147483647, false, false, kNoClean},
        Case{"/BSWLOADHISTORY2147483648", Job::kListHistory, 2147483647, false, false, kNoClean},
        Case{"/BSWLOADHISTORY99999999999999999999999", Job::kListHistory, 2147483647, false, false, kNoClean},
        Case{"/BSWLOADHISTORY007 anything after", Job::kListHistory, 7, false, false, kNoClean},
        // First switch in the fixed order decides, and a wiping switch anywhere fills the registry.
        Case{"/BSWLOADHISTORY12 /BSWCLEARTIF01-2-3", Job::kListHistory, 12, false, true, kNoClean},
        Case{"/BSWCLEARTIF01-2-3 /BSWLOADCOOKIES5", Job::kListCookies, 5, false, true, kNoClean},
        // A malformed deciding switch runs nothing, even when a later one is valid.
        Case{"/BSWLOADTIFx /BSWLOADCOOKIES5", Job::kNone, 0, false, false, kNoClean},
        Case{"/bswloadhistory12", Job::kNone, 0, false, false, kNoClean},
        Case{"/BSWLoadHistory12", Job::kNone, 0, false, false, kNoClean},
        Case{"", Job::kNone, 0, false, false, kNoClean},
        Case{"/epm /BSWLOADTIF1", Job::kListTempFiles, 1, false, false, kNoClean}));

INSTANTIATE_TEST_SUITE_P(
    NoFields, ParseOptionsTest,
    ::testing::Values(
        Case{"/BSWCLEARHISTORY", Job::kClearHistory, 0, false, false, kNoClean},
        Case{"/BSWCLEARHISTORY /EPM", Job::kClearHistory, 0, true, false, kNoClean},
        Case{"/BSWCLEARHISTORYjunk", Job::kClearHistory, 0, false, false, kNoClean},
        Case{"/BSWRESTORECOOKIES /EPM", Job::kRestoreFavCookies, 0, true, true, kNoClean},
        Case{"/BSWSAVECOOKIES", Job::kSaveFavCookies, 0, false, false, kNoClean},
        Case{"/BSWGETFAVLIST /EPM", Job::kGetFavList, 0, true, false, kNoClean},
        Case{"/BSWSAVECOOKIES /BSWCLEARHISTORY", Job::kClearHistory, 0, false, false, kNoClean}));

INSTANTIATE_TEST_SUITE_P(
    CleanFields, ParseOptionsTest,
    ::testing::Values(
        Case{"/BSWCLEARTIF01-2-3", Job::kClearTempFiles, 0, false, true, {0, true, 2, 3}},
        Case{"/BSWCLEARTIF30-4-18", Job::kClearTempFiles, 0, false, true, {3, false, 4, 18}},
        Case{"/BSWCLEARTIF0x-2-3", Job::kClearTempFiles, 0, false, true, {0, false, 2, 3}},
        Case{"/BSWCLEARTIF2 -0-0", Job::kClearTempFiles, 0, false, true, {2, false, 0, 0}},
        Case{"/BSWCLEARTIF41-2-3", Job::kNone, 0, false, true, kNoClean},
        Case{"/BSWCLEARTIFx1-2-3", Job::kNone, 0, false, true, kNoClean},
        Case{"/BSWCLEARTIF/1-2-3", Job::kNone, 0, false, true, kNoClean},  // '/' is just below '0'
        Case{"/BSWCLEARTIF", Job::kNone, 0, false, true, kNoClean},
        Case{"/BSWCLEARTIF0", Job::kNone, 0, false, true, kNoClean},
        Case{"/BSWCLEARTIF01", Job::kNone, 0, false, true, kNoClean},
        Case{"/BSWCLEARTIF01x2-3", Job::kNone, 0, false, true, kNoClean},
        Case{"/BSWCLEARTIF01--3", Job::kNone, 0, false, true, kNoClean},
        Case{"/BSWCLEARTIF01-2-", Job::kNone, 0, false, true, kNoClean},
        Case{"/BSWCLEARTIF01-2", Job::kNone, 0, false, true, kNoClean},
        Case{"/BSWCLEARTIF01-a-3", Job::kNone, 0, false, true, kNoClean},
        Case{"/BSWCLEARTIF01-2-3-4", Job::kNone, 0, false, true, kNoClean},
        // Nothing may follow the last number of the temporary-files clean.
        Case{"/BSWCLEARTIF01-2-3 /EPM", Job::kNone, 0, true, true, kNoClean},
        Case{"/BSWCLEARTIF01-2-3 ", Job::kNone, 0, false, true, kNoClean},
        Case{"/BSWCLEARTIF01-99999999999-3", Job::kClearTempFiles, 0, false, true, {0, true, 2147483647, 3}},
        Case{"/BSWCLEARCOOKIES01-2-3 /EPM", Job::kClearCookies, 0, true, true, {0, true, 2, 3}},
        Case{"/BSWCLEARCOOKIES11-0-16", Job::kClearCookies, 0, false, true, {1, true, 0, 16}},
        Case{"/BSWCLEARCOOKIES01-2- /EPM", Job::kNone, 0, true, true, kNoClean},
        Case{"/BSWCLEARCOOKIES01-2-3x", Job::kNone, 0, false, true, kNoClean},
        Case{"/bswclearcookies01-2-3", Job::kNone, 0, false, false, kNoClean}));

TEST(FindOptionText, SkipsNameAndOneCharacter) {
  struct {
    const char* line;
    bool found;
    const char* options;
  } cases[] = {
      {"\"C:\\agent\\BPrivSvc.exe\" /BSWLOADHISTORY1234", true, " /BSWLOADHISTORY1234"},
      {"C:\\agent\\BPrivSvc.exe /BSWLOADHISTORY1234", true, "/BSWLOADHISTORY1234"},
      {"C:\\agent\\BPrivSvc.exe", true, ""},
      {"C:\\agent\\BPrivSvc.exe ", true, ""},
      {"C:\\agent\\BPrivSvc.exe x", true, "x"},
      {"C:\\agent\\bprivsvc.exe /BSWCLEARHISTORY", false, ""},
      {"BPrivSvc.exe BPrivSvc.exe /X", true, "BPrivSvc.exe /X"},
      {"", false, ""},
  };
  for (const auto& c : cases) {
    bool found = !c.found;
    EXPECT_EQ(FindOptionText(U(c.line), &found), U(c.options)) << c.line;
    EXPECT_EQ(found, c.found) << c.line;
  }
}

}  // namespace
}  // namespace bpriv
