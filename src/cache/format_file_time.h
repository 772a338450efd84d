// Cache times as the cookie export shows them.
#pragma once
#include <windows.h>

#include <string>

namespace bpriv {

// The UTC time as local time, "%m/%d/%Y %I:%M:%S %p" (07/04/2013 03:05:09 PM),
// with the current time-zone bias. Empty when the time cannot be shown: before
// 1 January 100 or after midnight starting 31 December 9999 (local time).
// Returns the length of the text.
size_t FormatFileTime(const FILETIME& time, std::wstring* text);

}  // namespace bpriv
