#include "cache/format_file_time.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace bpriv {
namespace {

FILETIME Utc(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s, WORD ms = 0) {
  SYSTEMTIME st = {y, mo, 0, d, h, mi, s, ms};
  FILETIME ft = {};
  EXPECT_TRUE(::SystemTimeToFileTime(&st, &ft)) << y;
  return ft;
}

void ExpectAll(const std::vector<std::pair<FILETIME, const wchar_t*>>& examples) {
  for (const auto& [utc, want] : examples) {
    std::wstring text = L"junk";
    const size_t n = FormatFileTime(utc, &text);
    EXPECT_EQ(n, text.size());
    EXPECT_EQ(text, want) << "utc " << utc.dwHighDateTime << ":" << utc.dwLowDateTime;
  }
}

// Wine fixes a process's time zone from the Unix TZ it starts with, and a
// Windows parent cannot change that for its child: ctest runs this suite a
// second time under TZ=UTC-2 with BPRIV_TEST_ZONE set (tests/cache/tests.cmake).
TEST(FormatFileTimeInZone, ExamplesAtUtcPlusTwo) {
  wchar_t zone[32] = {};
  if (!::GetEnvironmentVariableW(L"BPRIV_TEST_ZONE", zone, 32)) GTEST_SKIP() << "runs as its own ctest entry";
  TIME_ZONE_INFORMATION tz;
  ::GetTimeZoneInformation(&tz);
  ASSERT_EQ(tz.Bias, -120) << "TZ did not reach the process";
  ExpectAll({
      {Utc(2013, 1, 1, 12, 0, 0), L"01/01/2013 02:00:00 PM"},
      {Utc(2013, 7, 4, 13, 5, 9), L"07/04/2013 03:05:09 PM"},
      {Utc(2013, 1, 1, 10, 0, 0, 999), L"01/01/2013 12:00:00 PM"},  // milliseconds dropped
      {Utc(2013, 1, 1, 22, 0, 0), L"01/02/2013 12:00:00 AM"},
      {Utc(9999, 12, 30, 22, 0, 0), L"12/31/9999 12:00:00 AM"},  // the last moment shown
      {Utc(9999, 12, 30, 22, 0, 1), L""},
      {Utc(9999, 12, 31, 22, 0, 0), L""},  // local year 10000
  });
}

// Dates from -657434.0 to 2958465.0 (31 Dec 9999, midnight) inclusive.
TEST(FormatFileTime, LimitsAtUtc) {
  TIME_ZONE_INFORMATION tz;
  ::GetTimeZoneInformation(&tz);
  if (tz.Bias != 0) GTEST_SKIP() << "the test tree runs with TZ=UTC";
  ExpectAll({
      {Utc(1601, 1, 1, 0, 0, 0), L"01/01/1601 12:00:00 AM"},
      {Utc(2038, 1, 19, 3, 14, 8), L"01/19/2038 03:14:08 AM"},
      {Utc(9999, 12, 30, 23, 59, 59), L"12/30/9999 11:59:59 PM"},
      {Utc(9999, 12, 31, 0, 0, 0, 999), L"12/31/9999 12:00:00 AM"},  // milliseconds do not count
      {Utc(9999, 12, 31, 0, 0, 1), L""},  // a "never expires" time
      {Utc(10000, 1, 1, 0, 0, 0), L""},
      {Utc(30827, 12, 31, 23, 59, 59), L""},
      {FILETIME{0xFFFFFFFF, 0xFFFFFFFF}, L""},  // no SYSTEMTIME for it
  });
}

}  // namespace
}  // namespace bpriv
