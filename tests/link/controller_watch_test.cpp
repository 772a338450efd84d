#include "link/controller_watch.h"

#include <gtest/gtest.h>

#include "link/send_record.h"
#include "support/named_process.h"

namespace bpriv {
namespace {

TEST(IsProcessRunning, FindsProcessesByTheEndOfTheirName) {
  const std::wstring copy = test::CopyAgentctlAs(L"xBSweepRun.exe");
  ASSERT_FALSE(copy.empty()) << ::GetLastError();
  ASSERT_FALSE(IsProcessRunning(L"BSweepRun.exe")) << "a controller copy from another test still runs";
  test::SuspendedProcess controller(copy);
  ASSERT_TRUE(controller.started()) << ::GetLastError();
  struct {
    const wchar_t* name;
    bool running;
  } cases[] = {
      {L"BSweepRun.exe", true},  {L"bsweeprun.EXE", true}, {L"xBSweepRun.exe", true},
      {L"yxBSweepRun.exe", false}, {L"BSweepRun.exe.bak", false}, {L"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsProcessRunning(c.name), c.running) << c.name;
  controller.End();
  EXPECT_FALSE(IsProcessRunning(L"BSweepRun.exe"));
}

TEST(CControllerWatch, AnswersLikeASnapshotButTakesFewer) {
  const std::wstring copy = test::CopyAgentctlAs(L"watchedCtl.exe");
  ASSERT_FALSE(copy.empty());
  CControllerWatch watch(L"watchedctl.exe");
  EXPECT_FALSE(watch.IsRunning());
  auto first = std::make_unique<test::SuspendedProcess>(copy);
  test::SuspendedProcess second(copy);
  ASSERT_TRUE(first->started() && second.started());
  const int before = watch.snapshots_taken();
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(watch.IsRunning());
  EXPECT_EQ(watch.snapshots_taken(), before + 1) << "one snapshot while the process found still runs";
  // Whichever one it holds: with one gone the other must still be found, and
  // with both gone, none.
  first.reset();
  EXPECT_TRUE(watch.IsRunning());
  second.End();
  EXPECT_FALSE(watch.IsRunning());
  EXPECT_FALSE(watch.IsRunning());
}

}  // namespace
}  // namespace bpriv
