#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace bpriv {
namespace {

std::u16string U(const char* s) { return std::u16string(s, s + std::char_traits<char>::length(s)); }

TEST(ParseOptions, PicksJobAndFields) {
  constexpr CleanParams kNo{};
  struct {
    const char* options;
    Job job;
    int32_t number;  // listing number
    bool epm;
    bool fill;  // wipe-algorithm registry filled
    CleanParams clean;
  } cases[] = {
      // Every switch is recognised; /EPM anywhere, but only in capitals.
      {"/BSWLOADHISTORY1234 /EPM", Job::kListHistory, 1234, true, false, kNo},
      {"/EPM /BSWLOADTIF77", Job::kListTempFiles, 77, true, false, kNo},
      {"/epm /BSWLOADCOOKIES0", Job::kListCookies, 0, false, false, kNo},
      {"/BSWCLEARHISTORYjunk", Job::kClearHistory, 0, false, false, kNo},
      {"/BSWRESTORECOOKIES /EPM", Job::kRestoreFavCookies, 0, true, true, kNo},
      {"/BSWSAVECOOKIES", Job::kSaveFavCookies, 0, false, false, kNo},
      {"/BSWGETFAVLIST /EPM", Job::kGetFavList, 0, true, false, kNo},
      {"/BSWCLEARTIF30-4-18", Job::kClearTempFiles, 0, false, true, {3, false, 4, 18}},
      {"/BSWCLEARCOOKIES11-0-16 /EPM", Job::kClearCookies, 0, true, true, {1, true, 0, 16}},
      // Numbers saturate; a malformed or lower-case switch runs nothing.
      {"/BSWLOADHISTORY2147483648", Job::kListHistory, 2147483647, false, false, kNo},
      {"/BSWCLEARTIF01-99999999999-3", Job::kClearTempFiles, 0, false, true, {0, true, 2147483647, 3}},
      {"/BSWLOADHISTORY", Job::kNone, 0, false, false, kNo},
      {"/BSWLOADHISTORY12a", Job::kNone, 0, false, false, kNo},
      {"/BSWLoadHistory12", Job::kNone, 0, false, false, kNo},
      {"/bswclearcookies01-2-3", Job::kNone, 0, false, false, kNo},
      // The first switch in the fixed order decides; a wiping switch anywhere fills the registry.
      {"/BSWCLEARTIF01-2-3 /BSWLOADCOOKIES5", Job::kListCookies, 5, false, true, kNo},
      {"/BSWSAVECOOKIES /BSWCLEARHISTORY", Job::kClearHistory, 0, false, false, kNo},
      {"/BSWLOADTIFx /BSWLOADCOOKIES5", Job::kNone, 0, false, false, kNo},
      // Display digit 0..3 and wipe digit, then two numbers and nothing after.
      {"/BSWCLEARTIF0x-2-3", Job::kClearTempFiles, 0, false, true, {0, false, 2, 3}},
      {"/BSWCLEARTIF41-2-3", Job::kNone, 0, false, true, kNo},
      {"/BSWCLEARTIF/1-2-3", Job::kNone, 0, false, true, kNo},  // '/' is just below '0'
      {"/BSWCLEARTIF0", Job::kNone, 0, false, true, kNo},
      {"/BSWCLEARTIF01x2-3", Job::kNone, 0, false, true, kNo},
      {"/BSWCLEARTIF01--3", Job::kNone, 0, false, true, kNo},
      {"/BSWCLEARTIF01-2", Job::kNone, 0, false, true, kNo},
      {"/BSWCLEARTIF01-2-3 /EPM", Job::kNone, 0, true, true, kNo},
      {"/BSWCLEARCOOKIES01-2-3x", Job::kNone, 0, false, true, kNo},
  };
  for (const auto& c : cases) {
    Command cmd = ParseOptions(U(c.options));
    // Every field, whatever the job: a malformed switch leaves all of them unset.
    EXPECT_TRUE(cmd.job == c.job && cmd.epm == c.epm && cmd.fill_algorithms == c.fill &&
                cmd.listing_number == c.number && cmd.clean.display == c.clean.display &&
                cmd.clean.wipe == c.clean.wipe && cmd.clean.algorithm == c.clean.algorithm &&
                cmd.clean.options == c.clean.options)
        << c.options;
  }
}

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
      {"C:\\agent\\bprivsvc.exe /BSWCLEARHISTORY", false, ""},
      {"BPrivSvc.exe BPrivSvc.exe /X", true, "BPrivSvc.exe /X"},
  };
  for (const auto& c : cases) {
    bool found = !c.found;
    EXPECT_EQ(FindOptionText(U(c.line), &found), U(c.options)) << c.line;
    EXPECT_EQ(found, c.found) << c.line;
  }
}

}  // namespace
}  // namespace bpriv
