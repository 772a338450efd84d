// Writing a path into a fixed text field of the progress record.
#pragma once

#include <cstddef>

#include "wipe/progress_record.h"

namespace bpriv {

// Copies `length` UTF-16 units of `text` and a NUL into `field`. A text that
// does not fit keeps its end, where the file name is, behind "...".
void SetProgressText(char16_t (&field)[kProgressTextUnits], const char16_t* text, size_t length);

}  // namespace bpriv
