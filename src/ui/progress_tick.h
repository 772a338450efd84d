// What the progress dialog's 150 ms tick changes on screen, decided without
// touching a window: from the progress record and the values last shown to a
// list of control changes. An unchanged record gives an empty list, so a tick
// while nothing happens redraws nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wipe/progress_record.h"
#include "wipe/string_table.h"

namespace bpriv {

// Control ids the tick touches (the dialog template's).
constexpr int kTickDialog = 0;  // the dialog window itself
constexpr int kCtlHeading = 331;
constexpr int kCtlCurrentItem = 327;
constexpr int kCtlProgress = 266;
constexpr int kCtlPercent = 303;
constexpr int kCtlByteCount = 270;
constexpr int kCtlStop = 540;

constexpr uint32_t kTickIntervalMs = 150;

struct TickChange {
  enum Kind { kEnd, kDisable, kShow, kHide, kSetText, kSetBar };
  TickChange(Kind k, int id) : kind(k), control(id) {}
  Kind kind;
  int control;
  std::u16string text;  // kSetText
  uint64_t value = 0;   // kSetBar: the raw percentage
  bool operator==(const TickChange& o) const {
    return kind == o.kind && control == o.control && text == o.text && value == o.value;
  }
};

// The visibility of the dialog (kTickDialog) and of one control (its own
// WS_VISIBLE style, not whether it can be seen). Asked only when a change is
// due, so an idle tick makes no window call.
class CTickWindow {
 public:
  virtual ~CTickWindow() = default;
  virtual bool IsShown(int control) = 0;
};

// What the tick remembers between ticks. The counters start with every bit
// set so that the first tick always draws.
struct TickMemory {
  uint64_t last_bytes_done = ~uint64_t{0};
  uint32_t last_files_done = ~uint32_t{0};
  bool force = true;
  uint32_t stop_delay = 0;
  std::u16string last_item;
  std::u16string last_heading;
  std::u16string byte_format;  // loaded at the first byte count
};

struct TickSettings {
  uint32_t wipe_mode = 1;       // 1: "wiped" wording, 0: "deleted"
  uint32_t scheduler_mode = 1;  // selects the fallback heading
  CStringTable* strings = nullptr;
};

// String ids the tick loads.
constexpr uint32_t kIdsBytesWiped = 130;
constexpr uint32_t kIdsBytesDeleted = 163;
constexpr uint32_t kIdsCaptionCleaning = 779;
constexpr uint32_t kIdsCaptionScheduler = 781;

// One tick. Writes the fallback heading into an empty record heading (the
// dialog's only write besides the stop flag) and updates the memory; appends
// the changes to *out in the order they are to be applied.
void DecideTick(ProgressRecord& record, TickMemory& memory, const TickSettings& settings,
                CTickWindow& window, std::vector<TickChange>* out);

// "%s" replaced by the arguments in turn, "%%" by "%"; other text kept.
std::u16string FormatCount(const std::u16string& format, const std::u16string& first,
                           const std::u16string& second);
std::u16string DecimalText(uint64_t value);

}  // namespace bpriv
