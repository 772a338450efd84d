// The agent's command line: which job the controller asked for, and its fields.
// Pure code: the text is UTF-16 units, whatever the size of wchar_t.
#pragma once
#include <cstdint>
#include <string_view>

#include "clean/clean_params.h"

namespace bpriv {

enum class Job {
  kNone,
  kListHistory,
  kListTempFiles,
  kListCookies,
  kClearHistory,
  kRestoreFavCookies,
  kSaveFavCookies,
  kGetFavList,
  kClearTempFiles,
  kClearCookies,
};

struct Command {
  Job job = Job::kNone;
  int32_t listing_number = 0;  // listing jobs only
  bool epm = false;            // "/EPM" anywhere in the option text
  bool fill_algorithms = false;  // a wiping switch occurs, whichever job runs
  CleanParams clean;           // clean jobs only
};

// The option text: what follows the program's own name and the one character
// after it. Empty when the name is absent or nothing follows it.
std::u16string_view FindOptionText(std::u16string_view command_line, bool* name_found);

// Picks the job from the option text; malformed fields give Job::kNone.
Command ParseOptions(std::u16string_view options);

// Decimal digits to a signed 32-bit value, saturating at 2147483647.
int32_t ToSaturatedInt(std::u16string_view digits);

}  // namespace bpriv
