#include "app/jobs.h"

#include "clean/clear_history.h"

namespace bpriv {

const JobTable& AgentJobs() {
  static const JobTable table = [] {
    JobTable t;
    t.clear_history = [] { return ClearUrlHistory(); };
    return t;
  }();
  return table;
}

}  // namespace bpriv
