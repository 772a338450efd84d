// agentctl clean against progress_demo, a program that runs the real dialog
// over a made-up worker: the progress view and Hide. Its Stop is followed over
// the real agent in the clean jobs' end-to-end test.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/run_process.h"

namespace bpriv::test {
namespace {

TEST(AgentctlClean, FollowsAndHidesTheDialog) {
  const std::wstring demo = L"--agent \"" + BesideTests(L"progress_demo.exe") + L"\" ";
  const ProcessResult r = RunAgentctl(L"clean " + demo + L"--hide 2 8 120", 60000);
  const Lines lines = SplitLines(r.output);
  auto count = [&](const std::string& prefix) {
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  };
  ASSERT_EQ(r.exit_code, 0u) << r.output;
  EXPECT_EQ(lines.back(), "exit 0") << r.output;
  EXPECT_EQ(count("heading Wiping Temporary Internet Files"), 1) << r.output;
  EXPECT_EQ(count("hide pressed"), 1) << r.output;
  EXPECT_GE(count("item  C:\\users\\demo\\"), 2) << r.output;
  EXPECT_GE(count("bytes "), 3) << r.output;
  EXPECT_EQ(RunAgentctl(L"clean --hide").exit_code, 2u) << "a usage error";
}

}  // namespace
}  // namespace bpriv::test
