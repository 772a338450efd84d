#include "cache/format_file_time.h"

#include <oleauto.h>

#include <cmath>
#include <ctime>
#include <cwchar>

namespace bpriv {
namespace {

// Date values count days from 30 December 1899, the time of day as the
// fraction. The valid range is -657434.0 to 2958465.0 inclusive, the first
// moments of 1 January 100 and of 31 December 9999: a later time on that last
// day (a common "never expires") is shown as no date, as the controller expects.
constexpr double kFailedDate = -657435.0;
constexpr double kFirstDate = -657434.0;
constexpr double kLastDate = 2958465.0;

double ToDateValue(const FILETIME& time) {
  FILETIME local;
  SYSTEMTIME st;
  if (!::FileTimeToLocalFileTime(&time, &local) || !::FileTimeToSystemTime(&local, &st)) return kFailedDate;
  // Day of week and milliseconds are left out on purpose: the text shows
  // whole seconds and the day of week comes back from the conversion.
  SYSTEMTIME parts = {};
  parts.wYear = st.wYear;
  parts.wMonth = st.wMonth;
  parts.wDay = st.wDay;
  parts.wHour = st.wHour;
  parts.wMinute = st.wMinute;
  parts.wSecond = st.wSecond;
  double date = kFailedDate;
  if (!::SystemTimeToVariantTime(&parts, &date)) return kFailedDate;
  return date;
}

}  // namespace

size_t FormatFileTime(const FILETIME& time, std::wstring* text) {
  text->clear();
  const double date = ToDateValue(time);
  if (std::isnan(date) || date < kFirstDate || date > kLastDate) return 0;
  SYSTEMTIME st;
  if (!::VariantTimeToSystemTime(date, &st)) return 0;

  std::tm tm = {};
  tm.tm_sec = st.wSecond;
  tm.tm_min = st.wMinute;
  tm.tm_hour = st.wHour;
  tm.tm_mday = st.wDay;
  tm.tm_mon = st.wMonth - 1;
  tm.tm_year = st.wYear - 1900;
  tm.tm_wday = st.wDayOfWeek;
  tm.tm_isdst = -1;
  (void)std::mktime(&tm);  // fails outside its years; the fields then stay as filled

  // Wine's wcsftime leaves a cut text unterminated: the buffer is zeroed and
  // one unit is kept back for the terminator.
  wchar_t buffer[255] = {};
  const size_t n = std::wcsftime(buffer, 254, L"%m/%d/%Y %I:%M:%S %p", &tm);
  buffer[n < 254 ? n : 254] = L'\0';
  text->assign(buffer);
  return text->size();
}

}  // namespace bpriv
