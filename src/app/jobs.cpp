#include "app/jobs.h"

#include "cache/history_listing.h"
#include "clean/clear_history.h"
#include "link/listing_window.h"
#include "wipe/algo_registry.h"

namespace bpriv {

const JobTable& AgentJobs() {
  static const JobTable table = [] {
    JobTable t;
    t.run_listing = RunListingWindow;
    t.list_history = ListHistory;
    t.clear_history = [] { return ClearUrlHistory(); };
    t.init_wipe_algos = InitWipeAlgos;
    return t;
  }();
  return table;
}

}  // namespace bpriv
