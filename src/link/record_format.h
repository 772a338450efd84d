// The texts a listing job hands to the controller through the window title.
// Pure code: UTF-16 units whatever the size of wchar_t, so the exact field
// rules are tested natively.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bpriv {

// The title the listing window is created with, and the last text of a job.
inline constexpr std::u16string_view kStartText = u"STARTPRIVILEGES";
inline constexpr std::u16string_view kFinishText = u"FINISHPRIVILEGES";

// A history item's display name is read into 260 units, terminator included.
inline constexpr size_t kDisplayNameCapacity = 260;

// Shell History folder walk.
// "PRIVILEGE 00 <number> <level> <name>"; the name is cut to 259 units.
std::u16string FormatFolderItemRecord(int32_t listing_number, int32_t level, std::u16string_view name);
// "PRIVILEGE +1": the item just reported is a folder, its children follow.
std::u16string FormatFolderOpenRecord();
// "PRIVILEGE -1 <number>": the children of the current folder are complete.
std::u16string FormatFolderCloseRecord(int32_t listing_number);
// "PRIVILEGE 01": the current item is complete.
std::u16string FormatItemDoneRecord();

// URL history store walk: "PRIVILEGE 00 <number> <low> <high> <length> <title> <url>".
// The halves of the last-visited FILETIME print as signed 32-bit numbers; the
// length counts UTF-16 units so that a reader can split a title holding
// blanks from the URL; an empty title is sent as one blank.
std::u16string FormatHistoryEntryRecord(int32_t listing_number, uint32_t visited_low, uint32_t visited_high,
                                        std::u16string_view title, std::u16string_view url);

}  // namespace bpriv
