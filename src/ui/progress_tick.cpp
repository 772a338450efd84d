#include "ui/progress_tick.h"

#include <algorithm>
#include <string_view>

namespace bpriv {

namespace {

// The record's texts are bounded arrays another thread may be rewriting: read
// up to the first NUL, never past the array. A view: an idle tick compares
// without copying.
std::u16string_view ReadText(const char16_t (&text)[kProgressTextUnits]) {
  size_t n = 0;
  while (n < kProgressTextUnits && text[n] != 0) ++n;
  return std::u16string_view(text, n);
}

bool LoadText(CStringTable* strings, uint32_t id, std::u16string* out) {
  std::wstring wide;
  if (strings == nullptr || !strings->Load(id, &wide)) return false;
  // The table's texts are UTF-16 on Windows; unit by unit is exact there.
  out->assign(wide.size(), u'\0');
  std::transform(wide.begin(), wide.end(), out->begin(),
                 [](wchar_t c) { return static_cast<char16_t>(c); });
  return true;
}

// Visibility as the changes of this tick leave it: the window is asked once
// per control, later answers come from what this tick decided.
class CVisibility {
 public:
  explicit CVisibility(CTickWindow& window) : window_(window) {}
  bool Shown(int control) {
    Slot& s = SlotOf(control);
    if (!s.known) {
      s.shown = window_.IsShown(control);
      s.known = true;
    }
    return s.shown;
  }
  void Set(int control, bool shown) {
    Slot& s = SlotOf(control);
    s.known = true;
    s.shown = shown;
  }

 private:
  struct Slot {
    int control = -1;
    bool known = false;
    bool shown = false;
  };
  Slot& SlotOf(int control) {
    for (Slot& s : slots_)
      if (s.control == control) return s;
    for (Slot& s : slots_)
      if (s.control == -1) {
        s.control = control;
        return s;
      }
    return slots_[0];  // unreachable: the tick asks about four windows
  }
  CTickWindow& window_;
  Slot slots_[4];
};

class CTick {
 public:
  CTick(CTickWindow& window, std::vector<TickChange>* out) : vis_(window), out_(out) {}

  void Show(int control) {
    Add(TickChange::kShow, control);
    vis_.Set(control, true);
  }
  void Hide(int control) {
    Add(TickChange::kHide, control);
    vis_.Set(control, false);
  }
  void Text(int control, std::u16string text) {
    TickChange change{TickChange::kSetText, control};
    change.text = std::move(text);
    out_->push_back(std::move(change));
  }
  void Add(TickChange::Kind kind, int control) { out_->push_back(TickChange{kind, control}); }
  void Bar(uint64_t percent) {
    TickChange bar{TickChange::kSetBar, kCtlProgress};
    bar.value = percent;
    out_->push_back(std::move(bar));
  }
  // The item line appears when the dialog can be seen and it is hidden.
  void RevealItem() {
    if (!vis_.Shown(kCtlCurrentItem) && vis_.Shown(kTickDialog)) Show(kCtlCurrentItem);
  }
  // Bar and percentage appear together, keyed on the bar.
  void ShowPercent(uint64_t percent) {
    if (!vis_.Shown(kCtlProgress) && vis_.Shown(kTickDialog)) {
      Show(kCtlProgress);
      Show(kCtlPercent);
    }
    Bar(percent);
    Text(kCtlPercent, DecimalText(std::min<uint64_t>(percent, 100)) + u"%");
  }
  void HidePercent() {
    if (vis_.Shown(kCtlProgress)) {
      Hide(kCtlProgress);
      Hide(kCtlPercent);
    }
  }

 private:
  CVisibility vis_;
  std::vector<TickChange>* out_;
};

}  // namespace

std::u16string DecimalText(uint64_t value) {
  char16_t digits[24];
  size_t n = 0;
  do {
    digits[n++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  std::u16string text;
  while (n > 0) text.push_back(digits[--n]);
  return text;
}

std::u16string FormatCount(const std::u16string& format, const std::u16string& first,
                           const std::u16string& second) {
  std::u16string out;
  int used = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size()) {
      if (format[i + 1] == u's') {
        if (used < 2) out += used == 0 ? first : second;
        ++used;
        ++i;
        continue;
      }
      if (format[i + 1] == u'%') {
        out.push_back(u'%');
        ++i;
        continue;
      }
    }
    out.push_back(format[i]);
  }
  return out;
}

void DecideTick(ProgressRecord& record, TickMemory& memory, const TickSettings& settings,
                CTickWindow& window, std::vector<TickChange>* out) {
  CTick tick(window, out);

  if (record.stop_flag.load(std::memory_order_relaxed) != 0) {
    if (memory.stop_delay == 0) tick.Add(TickChange::kDisable, kCtlStop);
    memory.stop_delay += kTickIntervalMs;
  }
  // Read first: once the worker is finished, what it wrote before is all
  // there, and this last tick shows it before the dialog ends.
  const bool done = record.done_flag.load(std::memory_order_acquire) == 1;

  const std::u16string_view item = ReadText(record.current_item);
  if (!item.empty() ? item != memory.last_item : !memory.last_item.empty()) {
    memory.last_item.assign(item);
    tick.RevealItem();
    tick.Text(kCtlCurrentItem, memory.last_item);
  }

  const uint64_t bytes_done = record.bytes_done.load(std::memory_order_relaxed);
  const uint64_t bytes_total = record.bytes_total.load(std::memory_order_relaxed);
  const uint32_t files_total = static_cast<uint32_t>(record.files_total.load(std::memory_order_relaxed));
  const uint32_t files_done = static_cast<uint32_t>(record.files_done.load(std::memory_order_relaxed));
  if (bytes_done != memory.last_bytes_done) {
    if (memory.byte_format.empty())
      LoadText(settings.strings, settings.wipe_mode == 1 ? kIdsBytesWiped : kIdsBytesDeleted,
               &memory.byte_format);
    // A format that failed to load leaves the line as it is.
    if (!memory.byte_format.empty())
      tick.Text(kCtlByteCount,
                FormatCount(memory.byte_format, DecimalText(bytes_done >> 20), DecimalText(bytes_done)));
    memory.last_bytes_done = bytes_done;
    if (bytes_total >= 2 && files_total == 0) {
      tick.ShowPercent(bytes_done * 100 / bytes_total);
    } else if (files_total < 2) {
      tick.HidePercent();
    }
  }

  if (files_done != memory.last_files_done || memory.force) {
    memory.force = false;
    memory.last_files_done = files_done;
    if (files_total < 2)
      tick.HidePercent();
    else
      tick.ShowPercent(uint32_t(files_done * 100u) / files_total);
  }

  if (record.heading[0] == 0) {
    std::u16string fallback;
    if (LoadText(settings.strings,
                 settings.scheduler_mode != 0 ? kIdsCaptionScheduler : kIdsCaptionCleaning, &fallback)) {
      const size_t n = std::min<size_t>(fallback.size(), kProgressTextUnits - 1);
      std::copy_n(fallback.data(), n, record.heading);
      record.heading[n] = 0;
    }
  }
  const std::u16string_view heading = ReadText(record.heading);
  if (heading != memory.last_heading) {
    memory.last_heading.assign(heading);
    tick.Text(kCtlHeading, memory.last_heading);
  }
  if (done) tick.Add(TickChange::kEnd, kTickDialog);
}

}  // namespace bpriv
