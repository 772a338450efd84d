#include "ui/progress_tick.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "wipe/fake_string_table.h"

namespace bpriv {
namespace {

// Visibility as a dialog would report it; the tick's own changes are applied
// between ticks the way the Win32 side applies them.
class CFakeWindow : public CTickWindow {
 public:
  std::map<int, bool> shown{{kTickDialog, true}, {kCtlCurrentItem, true}, {kCtlProgress, false}};
  int asked = 0;
  bool IsShown(int control) override {
    ++asked;
    return shown[control];
  }
  void Apply(const std::vector<TickChange>& changes) {
    for (const TickChange& c : changes)
      if (c.kind == TickChange::kShow || c.kind == TickChange::kHide) shown[c.control] = c.kind == TickChange::kShow;
  }
};

class ProgressTick : public ::testing::Test {
 protected:
  ProgressTick() {
    strings.entries = {{130, L"%s MB (%s bytes) wiped"}, {163, L"%s MB (%s bytes) deleted"},
                       {779, L"Cleaning now"}, {781, L"Scheduler now"}};
    settings.strings = &strings;
    settings.scheduler_mode = 0;
  }
  std::vector<TickChange> Tick() {
    std::vector<TickChange> out;
    DecideTick(record, memory, settings, window, &out);
    window.Apply(out);
    return out;
  }
  // A copy: the callers often search the list a tick has just returned.
  static std::optional<TickChange> Find(const std::vector<TickChange>& v, TickChange::Kind kind, int control) {
    for (const TickChange& c : v)
      if (c.kind == kind && c.control == control) return c;
    return std::nullopt;
  }
  static void SetText(char16_t (&field)[kProgressTextUnits], const std::u16string& text) {
    std::copy(text.begin(), text.end(), field);
    field[text.size()] = 0;
  }
  CFakeStringTable strings;
  TickSettings settings;
  ProgressRecord record;
  TickMemory memory;
  CFakeWindow window;
};

TEST_F(ProgressTick, FirstTickDrawsThenUnchangedRecordChangesNothing) {
  SetText(record.heading, u"Wiping Cookies");
  SetText(record.current_item, u"C:\\a.txt");
  const auto first = Tick();
  const auto bytes = Find(first, TickChange::kSetText, kCtlByteCount);
  ASSERT_NE(bytes, std::nullopt) << "bytes done 0 is still drawn at the first tick";
  EXPECT_EQ(bytes->text, u"0 MB (0 bytes) wiped");
  ASSERT_NE(Find(first, TickChange::kSetText, kCtlHeading), std::nullopt);
  ASSERT_NE(Find(first, TickChange::kSetText, kCtlCurrentItem), std::nullopt);
  window.asked = 0;
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Tick().empty()) << "tick " << i;
  EXPECT_EQ(window.asked, 0) << "an idle tick asks no window";
}

TEST_F(ProgressTick, DoneFlagEndsBeforeAnyDrawing) {
  record.done_flag = 1;
  record.stop_flag = 1;
  SetText(record.current_item, u"x");
  const auto changes = Tick();
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].kind, TickChange::kDisable);
  EXPECT_EQ(changes[0].control, kCtlStop);
  EXPECT_EQ(changes[1].kind, TickChange::kEnd);
  EXPECT_EQ(record.heading[0], 0) << "no heading filled in the ending tick";
}

TEST_F(ProgressTick, StopDisablesTheButtonOnce) {
  Tick();
  record.stop_flag = 1;
  EXPECT_NE(Find(Tick(), TickChange::kDisable, kCtlStop), std::nullopt);
  EXPECT_EQ(Find(Tick(), TickChange::kDisable, kCtlStop), std::nullopt);
  EXPECT_EQ(memory.stop_delay, 300u);
}

TEST_F(ProgressTick, ByteCountShiftAndWordingByWipeMode) {
  struct Case {
    uint32_t wipe_mode;
    uint64_t bytes;
    std::u16string text;
  } cases[] = {
      {1, (uint64_t{1} << 20) - 1, u"0 MB (1048575 bytes) wiped"},
      {1, uint64_t{1} << 20, u"1 MB (1048576 bytes) wiped"},
      {0, (uint64_t{5} << 20) + 12345, u"5 MB (5255225 bytes) deleted"},
      {0, ~uint64_t{0} - 1, u"17592186044415 MB (18446744073709551614 bytes) deleted"},
  };
  for (const Case& c : cases) {
    memory = TickMemory();
    settings.wipe_mode = c.wipe_mode;
    record.bytes_done = c.bytes;
    const auto line = Find(Tick(), TickChange::kSetText, kCtlByteCount);
    ASSERT_NE(line, std::nullopt) << c.bytes;
    EXPECT_EQ(line->text, c.text);
  }
}

TEST_F(ProgressTick, MissingFormatLeavesTheLine) {
  strings.entries.erase(130);
  record.bytes_done = 7;
  EXPECT_EQ(Find(Tick(), TickChange::kSetText, kCtlByteCount), std::nullopt);
}

TEST_F(ProgressTick, PercentShownOnlyWithATotalOfTwoOrMore) {
  enum Step { kBoth, kBytesStep, kFilesStep };  // which of the two steps sees a change
  struct Case {
    Step step;
    uint64_t bytes_total;
    int32_t files_total, files_done;
    uint64_t bytes_done;
    bool bar;
    uint64_t raw;
    std::u16string text;
  } cases[] = {
      {kBoth, 0, 0, 0, 10, false, 0, u""},         {kBoth, 1, 1, 1, 10, false, 0, u""},
      {kBytesStep, 2, 0, 0, 1, true, 50, u"50%"},  {kBytesStep, 200, 0, 0, 500, true, 250, u"100%"},
      {kBytesStep, 9, 1, 0, 9, false, 0, u""},     {kFilesStep, 0, 4, 1, 10, true, 25, u"25%"},
      {kFilesStep, 0, 2, 3, 10, true, 150, u"100%"},
  };
  for (const Case& c : cases) {
    memory = TickMemory();
    if (c.step != kBoth) {
      memory.force = false;
      memory.last_files_done = c.step == kFilesStep ? ~0u : static_cast<uint32_t>(c.files_done);
      memory.last_bytes_done = c.step == kBytesStep ? ~uint64_t{0} : c.bytes_done;
    }
    window.shown[kCtlProgress] = !c.bar;  // every case changes the bar's visibility
    record.bytes_total = c.bytes_total;
    record.files_total = c.files_total;
    record.files_done = c.files_done;
    record.bytes_done = c.bytes_done;
    const auto changes = Tick();
    const auto bar = Find(changes, TickChange::kSetBar, kCtlProgress);
    const auto text = Find(changes, TickChange::kSetText, kCtlPercent);
    EXPECT_EQ(window.shown[kCtlProgress], c.bar) << c.bytes_total << "/" << c.files_total;
    EXPECT_EQ(window.shown[kCtlPercent], c.bar);
    ASSERT_EQ(bar.has_value(), c.bar);
    if (!c.bar) continue;
    ASSERT_NE(text, std::nullopt);
    EXPECT_EQ(bar->value, c.raw);
    EXPECT_EQ(text->text, c.text);
  }
}

TEST_F(ProgressTick, BarVisibilityChangesOnlyWhenDue) {
  // The first tick's files step hides what its bytes step has just shown.
  record.bytes_total = 100;
  record.bytes_done = 10;
  auto changes = Tick();
  std::vector<TickChange::Kind> kinds;
  for (const TickChange& c : changes)
    if (c.control == kCtlProgress) kinds.push_back(c.kind);
  EXPECT_EQ(kinds, (std::vector<TickChange::Kind>{TickChange::kShow, TickChange::kSetBar, TickChange::kHide}));
  // Shown once, then only moved.
  record.bytes_done = 20;
  changes = Tick();
  EXPECT_TRUE(Find(changes, TickChange::kShow, kCtlProgress).has_value());
  record.bytes_done = 30;
  changes = Tick();
  EXPECT_FALSE(Find(changes, TickChange::kShow, kCtlProgress).has_value());
  EXPECT_EQ(Find(changes, TickChange::kSetBar, kCtlProgress)->value, 30u);
  // A hidden dialog gets no bar shown, only moved.
  window.shown[kTickDialog] = false;
  window.shown[kCtlProgress] = false;
  record.bytes_done = 40;
  changes = Tick();
  EXPECT_FALSE(Find(changes, TickChange::kShow, kCtlProgress).has_value());
  EXPECT_EQ(Find(changes, TickChange::kSetBar, kCtlProgress)->value, 40u);
}

TEST_F(ProgressTick, TextsReadNoFurtherThanTheirArray) {
  std::fill(std::begin(record.current_item), std::end(record.current_item), u'x');
  SetText(record.heading, u"h");
  const auto item = Find(Tick(), TickChange::kSetText, kCtlCurrentItem);
  ASSERT_TRUE(item.has_value());
  EXPECT_EQ(item->text.size(), kProgressTextUnits);
}

TEST_F(ProgressTick, HeadingFallsBackBySchedulerMode) {
  for (uint32_t scheduler : {0u, 1u}) {
    record.heading[0] = 0;
    memory = TickMemory();
    settings.scheduler_mode = scheduler;
    const auto heading = Find(Tick(), TickChange::kSetText, kCtlHeading);
    ASSERT_NE(heading, std::nullopt);
    EXPECT_EQ(heading->text, scheduler ? u"Scheduler now" : u"Cleaning now");
    EXPECT_EQ(std::u16string(record.heading), heading->text) << "written into the record";
  }
}

TEST_F(ProgressTick, ItemLineRevealedAndEmptiedOnlyOnChange) {
  window.shown[kCtlCurrentItem] = false;
  SetText(record.current_item, u" C:\\cache\\a.gif");
  auto changes = Tick();
  ASSERT_NE(Find(changes, TickChange::kShow, kCtlCurrentItem), std::nullopt);
  EXPECT_EQ(Find(changes, TickChange::kSetText, kCtlCurrentItem)->text, u" C:\\cache\\a.gif");
  record.current_item[0] = 0;
  changes = Tick();
  ASSERT_NE(Find(changes, TickChange::kSetText, kCtlCurrentItem), std::nullopt);
  EXPECT_EQ(Find(changes, TickChange::kSetText, kCtlCurrentItem)->text, u"");
  EXPECT_TRUE(Tick().empty());
  // A hidden dialog leaves a hidden line hidden but still sets its text.
  window.shown[kTickDialog] = false;
  window.shown[kCtlCurrentItem] = false;
  SetText(record.current_item, u"b");
  changes = Tick();
  EXPECT_EQ(Find(changes, TickChange::kShow, kCtlCurrentItem), std::nullopt);
  EXPECT_NE(Find(changes, TickChange::kSetText, kCtlCurrentItem), std::nullopt);
}

TEST(FormatCount, ReplacesInTurnAndKeepsTheRest) {
  EXPECT_EQ(FormatCount(u"%s of %s, 100%% %d", u"a", u"b"), u"a of b, 100% %d");
  EXPECT_EQ(FormatCount(u"%s %s %s", u"a", u"b"), u"a b ");
  EXPECT_EQ(FormatCount(u"end %", u"a", u"b"), u"end %");
}

}  // namespace
}  // namespace bpriv
