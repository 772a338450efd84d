#include "ui/progress_tick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "wipe/fake_string_table.h"

namespace bpriv {
namespace {

using Changes = std::vector<TickChange>;

// Visibility as a dialog reports it; each tick's show/hide changes are applied
// before the next, as the Win32 side does.
class ProgressTick : public ::testing::Test, CTickWindow {
 protected:
  ProgressTick() { strings.entries = {{163, L"%s MB (%s bytes) deleted"}, {781, std::wstring(300, L'y')}}; }
  bool IsShown(int control) override { return shown[control]; }
  Changes Tick() {
    Changes out;
    DecideTick(record, memory, settings, *this, &out);
    for (const TickChange& c : out)
      if (c.kind == TickChange::kShow || c.kind == TickChange::kHide) shown[c.control] = c.kind == TickChange::kShow;
    return out;
  }
  static const TickChange* Find(const Changes& v, TickChange::Kind kind, int control) {
    auto it = std::find_if(v.begin(), v.end(), [&](const TickChange& c) { return c.kind == kind && c.control == control; });
    return it == v.end() ? nullptr : &*it;
  }
  static std::u16string TextOf(const Changes& v, int control) {
    const TickChange* c = Find(v, TickChange::kSetText, control);
    return c ? c->text : u"(none)";
  }
  template <size_t N> void SetItem(const char16_t (&text)[N]) { std::copy_n(text, N, record.current_item); }
  std::map<int, bool> shown{{kTickDialog, true}, {kCtlCurrentItem, true}, {kCtlProgress, false}};
  CFakeStringTable strings;
  TickSettings settings{0, 1, &strings};  // delete mode, the scheduler's heading
  ProgressRecord record;
  TickMemory memory;
};

// A 64-bit count (the shift by 20, the decimal text). Without a heading the
// scheduler's is written into the record, cut to its size. An idle tick
// decides nothing; the count's format replaces %s in turn and keeps the rest;
// Stop is disabled once; the tick that sees the done flag draws the last
// count, then ends the dialog.
TEST_F(ProgressTick, FirstTickDrawsIdleTickDecidesNothingStopAndDone) {
  record.bytes_done = ~uint64_t{0} - 1;
  SetItem(u"C:\\a.txt");
  const Changes first = Tick();
  const std::u16string heading(kProgressTextUnits - 1, u'y');
  EXPECT_EQ(TextOf(first, kCtlByteCount) + TextOf(first, kCtlCurrentItem),
            u"17592186044415 MB (18446744073709551614 bytes) deletedC:\\a.txt");
  EXPECT_EQ(TextOf(first, kCtlHeading), heading) << "read back from the record";
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Tick().empty()) << "tick " << i;
  EXPECT_EQ(FormatCount(u"%s of %s, 100%% %d %s end %", u"a", u"b"), u"a of b, 100% %d  end %");
  record.stop_flag = 1;
  EXPECT_TRUE(Find(Tick(), TickChange::kDisable, kCtlStop));
  record.bytes_done = 3 << 20;
  record.done_flag = 1;
  const Changes changes = Tick();
  EXPECT_TRUE(changes.size() == 2 && TextOf(changes, kCtlByteCount) == u"3 MB (3145728 bytes) deleted" &&
              changes[1].kind == TickChange::kEnd) << "no second disable";
}

// step: the one that sees a change, 0 both, 1 bytes, 2 files.
TEST_F(ProgressTick, PercentShownOnlyWithATotalOfTwoOrMore) {
  const struct { int step; uint64_t bytes_total, bytes_done; int32_t files_total, files_done; std::u16string text; }
      cases[] = {{0, 0, 10, 0, 0, u"(none)"}, {0, 1, 10, 1, 1, u"(none)"}, {1, 2, 1, 0, 0, u"50%"},
                 {1, 200, 500, 0, 0, u"100%"},  {1, 9, 9, 1, 0, u"(none)"},  {2, 0, 10, 4, 1, u"25%"}};
  for (const auto& c : cases) {
    memory = TickMemory();
    memory.force = c.step == 0;
    if (c.step == 1) memory.last_files_done = c.files_done;
    if (c.step == 2) memory.last_bytes_done = c.bytes_done;
    const bool due = c.text != u"(none)";
    shown[kCtlProgress] = !due;  // every case changes the bar's visibility
    record.bytes_total = c.bytes_total;
    record.bytes_done = c.bytes_done;
    record.files_total = c.files_total;
    record.files_done = c.files_done;
    const Changes changes = Tick();
    EXPECT_TRUE(shown[kCtlProgress] == due && shown[kCtlPercent] == due) << c.bytes_total << "/" << c.files_total;
    EXPECT_EQ(TextOf(changes, kCtlPercent), c.text);
  }
}

TEST_F(ProgressTick, BarAndItemLineShownOnlyWhenDue) {
  // The first tick's files step hides what its bytes step has just shown.
  record.bytes_total = 100;
  record.bytes_done = 10;
  std::vector<TickChange::Kind> kinds;
  for (const TickChange& c : Tick())
    if (c.control == kCtlProgress) kinds.push_back(c.kind);
  EXPECT_EQ(kinds, (std::vector<TickChange::Kind>{TickChange::kShow, TickChange::kSetBar, TickChange::kHide}));
  shown[kCtlCurrentItem] = false;
  SetItem(u" C:\\cache\\a.gif");
  EXPECT_TRUE(Find(Tick(), TickChange::kShow, kCtlCurrentItem));
  record.current_item[0] = 0;
  EXPECT_EQ(TextOf(Tick(), kCtlCurrentItem), u"") << "an emptied item is drawn";
  // A hidden dialog shows neither bar nor line, but still moves and sets them.
  shown[kTickDialog] = shown[kCtlProgress] = shown[kCtlCurrentItem] = false;
  record.bytes_done = 40;
  SetItem(u"b");
  const Changes changes = Tick();
  EXPECT_FALSE(Find(changes, TickChange::kShow, kCtlProgress) || Find(changes, TickChange::kShow, kCtlCurrentItem));
  EXPECT_TRUE(Find(changes, TickChange::kSetBar, kCtlProgress) && TextOf(changes, kCtlCurrentItem) == u"b");
  // Hostile: a text without its NUL is read up to the end of its array only.
  std::fill(std::begin(record.current_item), std::end(record.current_item), u'x');
  EXPECT_EQ(TextOf(Tick(), kCtlCurrentItem).size(), kProgressTextUnits);
}

}  // namespace
}  // namespace bpriv
