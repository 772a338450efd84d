// The jobs the dispatcher can run. Each entry is filled by the subsystem that
// provides the job; an empty entry means the switch is recognised but its job
// does not exist in this build, and nothing runs.
#pragma once
#include <windows.h>
#include <cstdint>

#include "app/command_line.h"
#include "link/listing_window.h"

namespace bpriv {

struct JobTable {
  int (*run_listing)(HINSTANCE instance, int32_t listing_number, bool epm, ListingBody body) = nullptr;
  ListingBody list_history = nullptr;
  ListingBody list_temp_files = nullptr;
  ListingBody list_cookies = nullptr;
  int (*clear_history)() = nullptr;
  int (*restore_fav_cookies)(bool epm) = nullptr;
  int (*save_fav_cookies)(bool epm) = nullptr;
  int (*get_fav_list)(bool epm) = nullptr;
  int (*clear_temp_files)(const CleanParams& params) = nullptr;  // result: exit code
  int (*clear_cookies)(const CleanParams& params, bool epm) = nullptr;  // result: exit code
  int (*init_wipe_algos)() = nullptr;
};

// The jobs of this build.
const JobTable& AgentJobs();

// Application module: what the windowing code needs to know of the process.
struct AppModule {
  HINSTANCE instance = nullptr;
  DWORD main_thread = 0;
};
AppModule& Module();

// Steps after start-up: option text, registry fill, dispatch. Returns the exit
// code. A failed allocation propagates as std::bad_alloc to the entry.
int RunAgent(HINSTANCE instance, const wchar_t* command_line, const JobTable& jobs);

}  // namespace bpriv
