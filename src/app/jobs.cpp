#include "app/jobs.h"

#include "cache/history_listing.h"
#include "cache/list_cookies.h"
#include "cache/list_temp_files.h"
#include "clean/clear_cookies.h"
#include "clean/clear_history.h"
#include "clean/clear_temp_files.h"
#include "clean/fav_list.h"
#include "clean/restore_fav_cookies.h"
#include "clean/save_fav_cookies.h"
#include "link/listing_window.h"
#include "wipe/algo_registry.h"

namespace bpriv {

const JobTable& AgentJobs() {
  static const JobTable table = [] {
    JobTable t;
    t.run_listing = RunListingWindow;
    t.list_history = ListHistory;
    t.list_temp_files = ListTempFiles;
    t.list_cookies = ListCookies;
    t.clear_history = [] { return ClearUrlHistory(); };
    t.get_fav_list = [](bool epm) { return GetFavList(epm); };
    t.clear_temp_files = ClearTempFiles;
    t.clear_cookies = ClearCookies;
    t.save_fav_cookies = [](bool epm) { return SaveFavCookies(epm); };
    t.restore_fav_cookies = [](bool epm) { return RestoreFavCookies(epm); };
    t.init_wipe_algos = InitWipeAlgos;
    return t;
  }();
  return table;
}

}  // namespace bpriv
