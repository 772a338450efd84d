#include "app/jobs.h"

#include "clean/clear_history.h"
#include "wipe/algo_registry.h"

namespace bpriv {

const JobTable& AgentJobs() {
  static const JobTable table = [] {
    JobTable t;
    t.clear_history = [] { return ClearUrlHistory(); };
    t.init_wipe_algos = InitWipeAlgos;
    return t;
  }();
  return table;
}

}  // namespace bpriv
