#include <cwchar>
#include <string_view>

#include "app/jobs.h"

namespace bpriv {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide strings are UTF-16");

AppModule& Module() {
  static AppModule module;
  return module;
}

int RunAgent(HINSTANCE instance, const wchar_t* command_line, const JobTable& jobs) {
  if (!command_line) return 0;
  std::u16string_view text(reinterpret_cast<const char16_t*>(command_line), std::wcslen(command_line));
  bool name_found = false;
  std::u16string_view options = FindOptionText(text, &name_found);
  if (!name_found) return 0;

  const Command cmd = ParseOptions(options);
  if (cmd.fill_algorithms && jobs.init_wipe_algos) jobs.init_wipe_algos();

  auto listing = [&](ListingBody body) {
    if (jobs.run_listing && body) jobs.run_listing(instance, cmd.listing_number, cmd.epm, body);
    return 0;
  };
  switch (cmd.job) {
    case Job::kNone:
      return 0;
    case Job::kListHistory:
      return listing(jobs.list_history);
    case Job::kListTempFiles:
      return listing(jobs.list_temp_files);
    case Job::kListCookies:
      return listing(jobs.list_cookies);
    case Job::kClearHistory:
      if (jobs.clear_history) jobs.clear_history();
      return 0;
    case Job::kRestoreFavCookies:
      if (jobs.restore_fav_cookies) jobs.restore_fav_cookies(cmd.epm);
      return 0;
    case Job::kSaveFavCookies:
      if (jobs.save_fav_cookies) jobs.save_fav_cookies(cmd.epm);
      return 0;
    case Job::kGetFavList:
      if (jobs.get_fav_list) jobs.get_fav_list(cmd.epm);
      return 0;
    case Job::kClearTempFiles:
      return jobs.clear_temp_files ? jobs.clear_temp_files(cmd.clean) : 0;
    case Job::kClearCookies:
      return jobs.clear_cookies ? jobs.clear_cookies(cmd.clean, cmd.epm) : 0;
  }
  return 0;
}

}  // namespace bpriv
