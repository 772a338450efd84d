// agentctl clean against progress_demo, a program that runs the real dialog
// over a made-up worker: the progress view, Hide, and Stop answered Yes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/run_process.h"

namespace bpriv::test {
namespace {

size_t CountPrefix(const Lines& lines, const std::string& prefix) {
  return std::count_if(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.compare(0, prefix.size(), prefix) == 0; });
}

TEST(AgentctlClean, FollowsHidesAndStopsTheDialog) {
  const std::wstring demo = L"--agent \"" + BesideTests(L"progress_demo.exe") + L"\" ";
  struct Case {
    std::wstring args;
    const char* action;  // a line agentctl must print, or ""
    const char* exit_line;
    size_t min_bytes_lines;
  } cases[] = {
      {demo + L"0 8 120", "", "exit 0", 3},
      {demo + L"--hide 2 8 120", "hide pressed", "exit 0", 3},
      {demo + L"--stop-after 400 0 200 100", "stop confirmed", "exit 1", 2},
  };
  for (const Case& c : cases) {
    const ProcessResult r = RunAgentctl(L"clean " + c.args, 60000);
    const Lines lines = SplitLines(r.output);
    ASSERT_EQ(r.exit_code, 0u) << r.output;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), c.exit_line) << r.output;
    EXPECT_EQ(CountPrefix(lines, "heading Wiping Temporary Internet Files"), 1u) << r.output;
    EXPECT_GE(CountPrefix(lines, "item  C:\\users\\demo\\"), 2u) << r.output;
    EXPECT_GE(CountPrefix(lines, "bytes "), c.min_bytes_lines) << r.output;
    if (*c.action) {
      EXPECT_EQ(CountPrefix(lines, c.action), 1u) << r.output;
    }
  }
  const ProcessResult usage = RunAgentctl(L"clean --hide");
  EXPECT_EQ(usage.exit_code, 2u) << usage.output;
}

}  // namespace
}  // namespace bpriv::test
