#include "app/jobs.h"

#include "clean/clear_history.h"
#include "clean/fav_list.h"

namespace bpriv {

const JobTable& AgentJobs() {
  static const JobTable table = [] {
    JobTable t;
    t.clear_history = [] { return ClearUrlHistory(); };
    t.get_fav_list = [](bool epm) { return GetFavList(epm); };
    return t;
  }();
  return table;
}

}  // namespace bpriv
