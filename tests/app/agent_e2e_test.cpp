// The real agent, started by agentctl as the controller would start it.
#include <gtest/gtest.h>

#include <string>

#include "support/run_process.h"
#include "support/system_snapshot.h"

namespace bpriv {
namespace {

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

TEST(AgentEndToEnd, EndsQuietlyWithExitZeroAndTouchesNothing) {
  const std::wstring agent = test::BesideTests(L"BPrivSvc.exe");
  const std::wstring quoted = L"\"" + agent + L"\"";
  struct {
    const wchar_t* args;  // agentctl arguments after "run"
  } cases[] = {
      {L""},                                   // no switch at all
      {L"/BSWNOSUCHJOB"},                      // unknown word
      {L"/bswclearhistory"},                   // case matters
      {L"/BSWLOADHISTORY"},                    // listing number missing
      {L"/BSWLOADHISTORY12a"},                 // not all digits
      {L"/BSWLOADTIF 5"},                      // blank before the digits
      {L"/BSWCLEARTIF41-2-3"},                 // display digit out of range
      {L"/BSWCLEARTIF01-2-3 /EPM"},            // nothing may follow the options
      {L"/BSWCLEARCOOKIES01--3"},              // empty algorithm index
      {L"/BSWCLEARHISTORY"},                   // the store under Wine refuses; still quiet
      {L"/BSWCLEARHISTORY /EPM"},
      {L"--cmdline \"C:\\\\elsewhere\\\\other.exe /BSWCLEARHISTORY\""},  // own name absent
  };
  for (const auto& c : cases) {
    std::wstring args = L"run --agent " + quoted + L" " + c.args;
    auto files_before = test::SnapshotProfileFiles();
    auto reg_before = test::SnapshotCurrentUserRegistry();
    test::ProcessResult r = test::RunAgentctl(args);
    ASSERT_TRUE(r.started) << Narrow(args);
    EXPECT_EQ(r.exit_code, 0u) << Narrow(args) << "\n" << r.output;
    EXPECT_EQ(r.output, "exit 0\r\n") << Narrow(args);  // and no window line
    EXPECT_EQ(test::DescribeChanges(files_before, test::SnapshotProfileFiles()), L"") << Narrow(args);
    EXPECT_EQ(test::DescribeChanges(reg_before, test::SnapshotCurrentUserRegistry()), L"") << Narrow(args);
  }
}

TEST(AgentEndToEnd, AgentctlRefusesBadUsage) {
  for (const wchar_t* args : {L"", L"frobnicate", L"run --agent", L"run --cmdline x /BSWCLEARHISTORY"}) {
    test::ProcessResult r = test::RunAgentctl(args);
    EXPECT_EQ(r.exit_code, 2u) << Narrow(args);
    EXPECT_NE(r.output.find("usage: agentctl"), std::string::npos) << Narrow(args);
  }
  test::ProcessResult missing = test::RunAgentctl(L"run --agent C:\\no\\such\\BPrivSvc.exe /BSWCLEARHISTORY");
  EXPECT_EQ(missing.exit_code, 1u);
}

}  // namespace
}  // namespace bpriv
