#include "link/record_format.h"

namespace bpriv {
namespace {

constexpr std::u16string_view kRecordWord = u"PRIVILEGE";

void AppendDecimal(std::u16string* out, int64_t value) {
  char16_t digits[24];
  size_t n = 0;
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    digits[n++] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) out->push_back(u'-');
  while (n > 0) out->push_back(digits[--n]);
}

// The platform prints a FILETIME half with %d: 2147483648 and above come out negative.
int64_t AsSigned32(uint32_t half) {
  return half >= 0x80000000u ? static_cast<int64_t>(half) - 0x100000000LL : static_cast<int64_t>(half);
}

// "PRIVILEGE <code>" followed by " <field>" for each field added after it.
class RecordBuilder {
 public:
  explicit RecordBuilder(std::u16string_view code, size_t reserve = 0) {
    text_.reserve(kRecordWord.size() + 1 + code.size() + reserve);
    text_.append(kRecordWord).push_back(u' ');
    text_.append(code);
  }
  RecordBuilder& Number(int64_t value) {
    text_.push_back(u' ');
    AppendDecimal(&text_, value);
    return *this;
  }
  RecordBuilder& Text(std::u16string_view value) {
    text_.push_back(u' ');
    text_.append(value);
    return *this;
  }
  std::u16string Done() { return std::move(text_); }

 private:
  std::u16string text_;
};

}  // namespace

std::u16string FormatFolderItemRecord(int32_t listing_number, int32_t level, std::u16string_view name) {
  return RecordBuilder(u"00", 24 + kDisplayNameCapacity)
      .Number(listing_number)
      .Number(level)
      .Text(name.substr(0, kDisplayNameCapacity - 1))
      .Done();
}

std::u16string FormatFolderOpenRecord() { return RecordBuilder(u"+1").Done(); }

std::u16string FormatFolderCloseRecord(int32_t listing_number) {
  return RecordBuilder(u"-1").Number(listing_number).Done();
}

std::u16string FormatItemDoneRecord() { return RecordBuilder(u"01").Done(); }

std::u16string FormatHistoryEntryRecord(int32_t listing_number, uint32_t visited_low, uint32_t visited_high,
                                        std::u16string_view title, std::u16string_view url) {
  return RecordBuilder(u"00", title.size() + url.size() + 64)
      .Number(listing_number)
      .Number(AsSigned32(visited_low))
      .Number(AsSigned32(visited_high))
      .Number(static_cast<int64_t>(title.size()))
      .Text(title.empty() ? u" " : title)
      .Text(url)
      .Done();
}

}  // namespace bpriv
