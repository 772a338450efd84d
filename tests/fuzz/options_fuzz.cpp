// The command line: finding the option text, then the switch and its fields.
// Bytes are units; 0xFF and the two bytes after it make one unit of any value.
#include <string>

#include "app/command_line.h"
#include "fuzz_check.h"

using bpriv::Job;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string line;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0xFF && i + 2 < size) {
      line.push_back(static_cast<char16_t>(data[i + 1] | data[i + 2] << 8));
      i += 2;
    } else {
      line.push_back(data[i]);
    }
  }
  bool found = false;
  const std::u16string_view text = bpriv::FindOptionText(line, &found);
  FUZZ_CHECK(found == (line.find(u"BPrivSvc.exe") != std::u16string::npos));
  FUZZ_CHECK(line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0);

  for (std::u16string_view options : {std::u16string_view(line), text}) {
    const bpriv::Command cmd = bpriv::ParseOptions(options);
    const bpriv::CleanParams& c = cmd.clean;
    FUZZ_CHECK(cmd.epm == (options.find(u"/EPM") != std::u16string_view::npos));
    FUZZ_CHECK(cmd.listing_number >= 0 && c.algorithm >= 0 && c.options >= 0 && c.display >= 0 && c.display <= 3);
    // Fields belong to their job alone (a malformed switch leaves none), and a
    // job that wipes always has the algorithm list filled.
    const bool listing = cmd.job == Job::kListHistory || cmd.job == Job::kListTempFiles || cmd.job == Job::kListCookies;
    const bool clean = cmd.job == Job::kClearTempFiles || cmd.job == Job::kClearCookies;
    if (!listing) FUZZ_CHECK(cmd.listing_number == 0);
    if (!clean) FUZZ_CHECK(c.display == 0 && !c.wipe && c.algorithm == 0 && c.options == 0);
    if (clean || cmd.job == Job::kRestoreFavCookies) FUZZ_CHECK(cmd.fill_algorithms);
  }
  return 0;
}
