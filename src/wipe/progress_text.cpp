#include "wipe/progress_text.h"

#include <initializer_list>

namespace bpriv {

void SetProgressText(char16_t (&field)[kProgressTextUnits], const char16_t* text, size_t length) {
  constexpr size_t kRoom = kProgressTextUnits - 1;
  size_t out = 0;
  size_t from = 0;
  if (length > kRoom) {
    for (char16_t dot : {u'.', u'.', u'.'}) field[out++] = dot;
    from = length - (kRoom - out);
    // Do not start the kept part with the low half of a surrogate pair.
    if (text[from] >= 0xDC00 && text[from] <= 0xDFFF) {
      ++from;
    }
  }
  while (from < length) field[out++] = text[from++];
  field[out] = 0;
}

}  // namespace bpriv
