// The command line: finding the option text, then the switch and its fields.
// Bytes are units; 0xFF and the two bytes after it make one unit of any value.
#include <string>

#include "app/command_line.h"
#include "fuzz_check.h"

namespace {

using bpriv::Job;

std::u16string Units(const uint8_t* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0xFF && i + 2 < size) {
      text.push_back(static_cast<char16_t>(data[i + 1] | data[i + 2] << 8));
      i += 2;
    } else {
      text.push_back(data[i]);
    }
  }
  return text;
}

std::u16string Ascii(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// The job written back as the one switch of an option text.
std::u16string Canonical(const bpriv::Command& cmd) {
  const auto& c = cmd.clean;
  const std::string fields = std::to_string(c.display) + (c.wipe ? "1-" : "0-") + std::to_string(c.algorithm) + "-" +
                             std::to_string(c.options);
  switch (cmd.job) {
    case Job::kListHistory: return Ascii("/BSWLOADHISTORY" + std::to_string(cmd.listing_number));
    case Job::kListTempFiles: return Ascii("/BSWLOADTIF" + std::to_string(cmd.listing_number));
    case Job::kListCookies: return Ascii("/BSWLOADCOOKIES" + std::to_string(cmd.listing_number));
    case Job::kClearHistory: return u"/BSWCLEARHISTORY";
    case Job::kRestoreFavCookies: return u"/BSWRESTORECOOKIES";
    case Job::kSaveFavCookies: return u"/BSWSAVECOOKIES";
    case Job::kGetFavList: return u"/BSWGETFAVLIST";
    case Job::kClearTempFiles: return Ascii("/BSWCLEARTIF" + fields);
    case Job::kClearCookies: return Ascii("/BSWCLEARCOOKIES" + fields);
    case Job::kNone: break;
  }
  return u"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string line = Units(data, size);
  bool found = false;
  const std::u16string_view text = bpriv::FindOptionText(line, &found);
  FUZZ_CHECK(found == (line.find(u"BPrivSvc.exe") != std::u16string::npos));
  FUZZ_CHECK(line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0);

  for (std::u16string_view options : {std::u16string_view(line), text}) {
    const bpriv::Command cmd = bpriv::ParseOptions(options);
    FUZZ_CHECK(cmd.epm == (options.find(u"/EPM") != std::u16string_view::npos));
    FUZZ_CHECK(cmd.listing_number >= 0 && cmd.clean.algorithm >= 0 && cmd.clean.options >= 0);
    FUZZ_CHECK(cmd.clean.display >= 0 && cmd.clean.display <= 3);
    if (cmd.job == Job::kNone) {
      FUZZ_CHECK(cmd.listing_number == 0 && cmd.clean.display == 0 && !cmd.clean.wipe);
      FUZZ_CHECK(cmd.clean.algorithm == 0 && cmd.clean.options == 0);
      continue;
    }
    // Whatever the text held around it, the job parsed from it alone reads the same.
    const bpriv::Command again = bpriv::ParseOptions(Canonical(cmd));
    FUZZ_CHECK(again.job == cmd.job && again.listing_number == cmd.listing_number);
    FUZZ_CHECK(again.clean.display == cmd.clean.display && again.clean.wipe == cmd.clean.wipe);
    FUZZ_CHECK(again.clean.algorithm == cmd.clean.algorithm && again.clean.options == cmd.clean.options);
  }
  return 0;
}
