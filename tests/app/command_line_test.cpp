#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace bpriv {
namespace {

std::u16string U(const char* s) { return std::u16string(s, s + std::char_traits<char>::length(s)); }

// Every field of the command, whatever the job: "job [number] [epm] [fill] [display/wipe/algorithm/options]".
std::string Describe(const Command& c) {
  static const char* const kJobs[] = {"none", "history", "tif",  "cookies",  "clearhistory",
                                      "restore", "save", "favlist", "cleartif", "clearcookies"};
  const std::string clean = " " + std::to_string(c.clean.display) + "/" + std::to_string(c.clean.wipe) + "/" +
                            std::to_string(c.clean.algorithm) + "/" + std::to_string(c.clean.options);
  return kJobs[static_cast<int>(c.job)] + (c.listing_number ? " " + std::to_string(c.listing_number) : "") +
         (c.epm ? " epm" : "") + (c.fill_algorithms ? " fill" : "") + (clean == " 0/0/0/0" ? "" : clean);
}

TEST(ParseOptions, PicksJobAndEveryField) {
  const std::pair<const char*, const char*> cases[] = {
      // Every switch; /EPM anywhere, but only in capitals; a wiping switch anywhere fills the registry.
      {"/BSWLOADHISTORY1234 /EPM", "history 1234 epm"}, {"/EPM /BSWLOADTIF77", "tif 77 epm"},
      {"/BSWSAVECOOKIES", "save"}, {"/epm /BSWLOADCOOKIES3", "cookies 3"}, {"/BSWGETFAVLIST /EPM", "favlist epm"},
      {"/BSWRESTORECOOKIES /EPM", "restore epm fill"}, {"/BSWCLEARTIF30-4-18", "cleartif fill 3/0/4/18"},
      {"/BSWCLEARCOOKIES11-0-16 /EPM", "clearcookies epm fill 1/1/0/16"},
      // Numbers saturate; a malformed or lower-case switch runs nothing and leaves every field unset.
      {"/BSWLOADHISTORY2147483648", "history 2147483647"}, {"/bswclearcookies01-2-3", "none"},
      {"/BSWCLEARTIF01-99999999999-3", "cleartif fill 0/1/2147483647/3"}, {"/BSWLOADHISTORY", "none"},
      // The first switch in the fixed order decides, even when malformed.
      {"/BSWCLEARTIF01-2-3 /BSWLOADCOOKIES5", "cookies 5 fill"}, {"/BSWSAVECOOKIES /BSWCLEARHISTORY", "clearhistory"},
      {"/BSWLOADTIFx /BSWLOADCOOKIES5", "none"},
      // Display digit 0..3 ('/' is just below '0'), wipe digit, two numbers, and nothing after but for cookies.
      {"/BSWCLEARTIF2x-2-3", "cleartif fill 2/0/2/3"}, {"/BSWCLEARTIF41-2-3", "none fill"},
      {"/BSWCLEARTIF0", "none fill"}, {"/BSWCLEARTIF/1-2-3", "none fill"}, {"/BSWCLEARTIF01x2-3", "none fill"},
      {"/BSWCLEARTIF01-2", "none fill"}, {"/BSWCLEARTIF01-2-3 /EPM", "none epm fill"},
      {"/BSWCLEARCOOKIES31-2-3 x", "clearcookies fill 3/1/2/3"},
  };
  for (const auto& [options, expected] : cases) EXPECT_EQ(Describe(ParseOptions(U(options))), expected) << options;
}

TEST(FindOptionText, SkipsNameAndOneCharacter) {
  const std::tuple<const char*, bool, const char*> cases[] = {  // line, name found, option text
      {"\"C:\\agent\\BPrivSvc.exe\" /BSWLOADHISTORY1234", true, " /BSWLOADHISTORY1234"},
      {"C:\\agent\\BPrivSvc.exe", true, ""}, {"C:\\agent\\bprivsvc.exe /BSWCLEARHISTORY", false, ""},
      {"BPrivSvc.exe BPrivSvc.exe /X", true, "BPrivSvc.exe /X"},
  };
  for (const auto& [line, found, options] : cases) {
    bool got = !found;
    EXPECT_EQ(FindOptionText(U(line), &got), U(options)) << line;
    EXPECT_EQ(got, found) << line;
  }
}

}  // namespace
}  // namespace bpriv
