// The fields of the clean switches, as the command line gives them to the
// cleaning jobs. Pure code.
#pragma once
#include <cstdint>

namespace bpriv {

struct CleanParams {
  int32_t display = 0;   // 0..3, becomes the progress dialog's display flags
  bool wipe = false;     // wipe rather than delete
  int32_t algorithm = 0; // index into the wipe-algorithm registry
  int32_t options = 0;   // option word of the file wiper
};

}  // namespace bpriv
