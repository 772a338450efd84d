#include "app/command_line.h"

#include <string>

namespace bpriv {
namespace {

constexpr std::u16string_view kProgramName = u"BPrivSvc.exe";
constexpr char16_t kBlank = u' ';

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool AllDigits(std::u16string_view s) {
  if (s.empty()) return false;
  for (char16_t c : s)
    if (!IsDigit(c)) return false;
  return true;
}

std::u16string_view UpToBlank(std::u16string_view s) { return s.substr(0, s.find(kBlank)); }

// Listing number: digits directly after the switch, up to a blank or the end.
bool ParseListingNumber(std::u16string_view rest, int32_t* number) {
  // The heap copy the parse works on: a failed allocation ends the entry.
  std::u16string digits(UpToBlank(rest));
  if (!AllDigits(digits)) return false;
  *number = ToSaturatedInt(digits);
  return true;
}

// Display digit, wipe character, "-", algorithm index, "-", wipe options.
bool ParseCleanFields(std::u16string_view rest, bool options_to_end, CleanParams* out) {
  if (rest.empty() || rest[0] < u'0' || rest[0] > u'3') return false;
  out->display = rest[0] - u'0';
  if (rest.size() < 2) return false;
  out->wipe = rest[1] == u'1';
  if (rest.size() < 3 || rest[2] != u'-') return false;
  std::u16string_view tail = rest.substr(3);
  size_t dash = tail.find(u'-');
  if (dash == std::u16string_view::npos) return false;
  std::u16string_view algorithm = tail.substr(0, dash);
  std::u16string_view options = tail.substr(dash + 1);
  if (!options_to_end) options = UpToBlank(options);
  if (!AllDigits(algorithm) || !AllDigits(options)) return false;
  out->algorithm = ToSaturatedInt(algorithm);
  out->options = ToSaturatedInt(options);
  return true;
}

}  // namespace

int32_t ToSaturatedInt(std::u16string_view digits) {
  int64_t value = 0;
  for (char16_t c : digits) {
    value = value * 10 + (c - u'0');
    if (value > INT32_MAX) return INT32_MAX;
  }
  return static_cast<int32_t>(value);
}

std::u16string_view FindOptionText(std::u16string_view command_line, bool* name_found) {
  size_t at = command_line.find(kProgramName);
  *name_found = at != std::u16string_view::npos;
  if (!*name_found) return {};
  size_t start = at + kProgramName.size() + 1;
  return start >= command_line.size() ? std::u16string_view() : command_line.substr(start);
}

Command ParseOptions(std::u16string_view options) {
  Command cmd;
  auto has = [&](std::u16string_view word) { return options.find(word) != std::u16string_view::npos; };
  cmd.epm = has(u"/EPM");
  cmd.fill_algorithms = has(u"/BSWRESTORECOOKIES") || has(u"/BSWCLEARTIF") || has(u"/BSWCLEARCOOKIES");

  enum class Fields { kListing, kNone, kCleanToEnd, kCleanToBlank };
  struct Switch {
    std::u16string_view word;
    Job job;
    Fields fields;
  };
  // Tried in this order; the first word that occurs decides, even if malformed.
  static constexpr Switch kSwitches[] = {
      {u"/BSWLOADHISTORY", Job::kListHistory, Fields::kListing},
      {u"/BSWLOADTIF", Job::kListTempFiles, Fields::kListing},
      {u"/BSWLOADCOOKIES", Job::kListCookies, Fields::kListing},
      {u"/BSWCLEARHISTORY", Job::kClearHistory, Fields::kNone},
      {u"/BSWRESTORECOOKIES", Job::kRestoreFavCookies, Fields::kNone},
      {u"/BSWSAVECOOKIES", Job::kSaveFavCookies, Fields::kNone},
      {u"/BSWGETFAVLIST", Job::kGetFavList, Fields::kNone},
      {u"/BSWCLEARTIF", Job::kClearTempFiles, Fields::kCleanToEnd},
      {u"/BSWCLEARCOOKIES", Job::kClearCookies, Fields::kCleanToBlank},
  };
  for (const Switch& s : kSwitches) {
    size_t at = options.find(s.word);
    if (at == std::u16string_view::npos) continue;
    std::u16string_view rest = options.substr(at + s.word.size());
    // Fields are parsed aside: a malformed switch leaves no half-read values.
    int32_t number = 0;
    CleanParams clean;
    bool ok = true;
    switch (s.fields) {
      case Fields::kListing:
        ok = ParseListingNumber(rest, &number);
        break;
      case Fields::kNone:
        break;
      case Fields::kCleanToEnd:
      case Fields::kCleanToBlank: {
        // The clear-cookies parse works on a heap copy, like the history one.
        std::u16string copy(rest);
        ok = ParseCleanFields(copy, s.fields == Fields::kCleanToEnd, &clean);
        break;
      }
    }
    if (ok) {
      cmd.job = s.job;
      cmd.listing_number = number;
      cmd.clean = clean;
    }
    return cmd;
  }
  return cmd;
}

}  // namespace bpriv
