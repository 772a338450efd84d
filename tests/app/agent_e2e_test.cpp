// The real agent and the controller harness (agentctl) as separate processes.
#include <gtest/gtest.h>

#include <string>

#include "support/run_process.h"

namespace bpriv {
namespace {

using test::Narrow;

TEST(AgentEndToEnd, NoJobToRunEndsQuietlyWithExitZero) {
  const std::wstring agent = L"run --agent \"" + test::BesideTests(L"BPrivSvc.exe") + L"\" ";
  for (const wchar_t* args : {L"", L"/BSWNOSUCHJOB", L"/bswclearhistory", L"/BSWLOADHISTORY12a",
                              L"/BSWCLEARTIF01-2-3 /EPM", L"/BSWCLEARHISTORY /EPM",  // the store under Wine refuses
                              L"--cmdline \"C:\\\\elsewhere\\\\other.exe /BSWCLEARHISTORY\""}) {  // own name absent
    test::ProcessResult r = test::RunAgentctl(agent + args);
    EXPECT_EQ(r.exit_code, 0u) << Narrow(args) << "\n" << r.output;
    EXPECT_EQ(r.output, "exit 0\r\n") << Narrow(args);  // and no window line
  }
}

TEST(AgentEndToEnd, HarnessRefusesBadUsageBeforeStartingAnything) {
  for (const wchar_t* args : {L"", L"frobnicate", L"run --agent", L"run --cmdline x /BSWCLEARHISTORY",
                              L"list --stop-after 0", L"list --number 12x", L"list --number", L"list --job bookmarks",
                              L"list --slow -1", L"list --frobnicate", L"list --close gently"}) {
    test::ProcessResult r = test::RunAgentctl(args);
    EXPECT_EQ(r.exit_code, 2u) << Narrow(args);
    EXPECT_NE(r.output.find("usage: agentctl"), std::string::npos) << Narrow(args) << "\n" << r.output;
  }
  EXPECT_EQ(test::RunAgentctl(L"run --agent C:\\no\\such\\BPrivSvc.exe /BSWCLEARHISTORY").exit_code, 1u);
}

}  // namespace
}  // namespace bpriv
