// StartedProcess and CopyAgentctlAs live in run_process.cpp, which every bench and test build links (RunProcess
// is built on StartedProcess); this file stays for the build lists that name it.
#include "support/run_process.h"
