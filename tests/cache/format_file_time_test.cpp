#include "cache/format_file_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace bpriv {
namespace {

// Wine fixes a process's time zone from the Unix TZ it starts with, and a
// Windows parent cannot change that for its child: ctest runs this suite a
// second time under TZ=UTC-2 with the variable below set (tests/cache/tests.cmake).
constexpr wchar_t kZoneVariable[] = L"BPRIV_TEST_ZONE";

FILETIME Utc(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s, WORD ms = 0) {
  SYSTEMTIME st = {y, mo, 0, d, h, mi, s, ms};
  FILETIME ft = {};
  EXPECT_TRUE(::SystemTimeToFileTime(&st, &ft)) << y;
  return ft;
}

std::wstring Format(FILETIME t) {
  std::wstring text = L"junk";
  const size_t n = FormatFileTime(t, &text);
  EXPECT_EQ(n, text.size());
  return text;
}

struct Example {
  FILETIME utc;
  const wchar_t* want;
};

void ExpectAll(const Example* begin, const Example* end) {
  for (const Example* e = begin; e != end; ++e)
    EXPECT_EQ(Format(e->utc), e->want) << "utc " << e->utc.dwHighDateTime << ":" << e->utc.dwLowDateTime;
}

TEST(FormatFileTimeInZone, ExamplesAtUtcPlusTwo) {
  wchar_t zone[32] = {};
  if (!::GetEnvironmentVariableW(kZoneVariable, zone, 32)) GTEST_SKIP() << "runs as its own ctest entry, under TZ=UTC-2";
  TIME_ZONE_INFORMATION tz;
  ::GetTimeZoneInformation(&tz);
  ASSERT_EQ(tz.Bias, -120) << "TZ did not reach the process";
  const Example examples[] = {
      {Utc(2013, 1, 1, 12, 0, 0), L"01/01/2013 02:00:00 PM"},
      {Utc(2013, 7, 4, 13, 5, 9), L"07/04/2013 03:05:09 PM"},
      {Utc(2013, 1, 1, 10, 0, 0, 999), L"01/01/2013 12:00:00 PM"},  // milliseconds dropped
      {Utc(2013, 1, 1, 22, 0, 0), L"01/02/2013 12:00:00 AM"},
      {Utc(9999, 12, 30, 22, 0, 0), L"12/31/9999 12:00:00 AM"},  // the last moment shown
      {Utc(9999, 12, 30, 22, 0, 1), L""},
      {Utc(9999, 12, 31, 22, 0, 0), L""},  // local year 10000
      {Utc(10000, 1, 1, 0, 0, 0), L""},
  };
  ExpectAll(std::begin(examples), std::end(examples));
}

TEST(FormatFileTime, LimitsAtUtc) {
  TIME_ZONE_INFORMATION tz;
  ::GetTimeZoneInformation(&tz);
  if (tz.Bias != 0) GTEST_SKIP() << "the test tree runs with TZ=UTC";
  const Example examples[] = {
      {Utc(1601, 1, 1, 0, 0, 0), L"01/01/1601 12:00:00 AM"},
      {Utc(2038, 1, 19, 3, 14, 8), L"01/19/2038 03:14:08 AM"},
      {Utc(9999, 12, 30, 23, 59, 59), L"12/30/9999 11:59:59 PM"},
      {Utc(9999, 12, 31, 0, 0, 0, 999), L"12/31/9999 12:00:00 AM"},  // milliseconds do not count
      {Utc(9999, 12, 31, 0, 0, 1), L""},  // a "never expires" time
      {Utc(9999, 12, 31, 23, 59, 59, 999), L""},
      {Utc(10000, 1, 1, 0, 0, 0), L""},
      {Utc(30827, 12, 31, 23, 59, 59), L""},
      {FILETIME{0xFFFFFFFF, 0xFFFFFFFF}, L""},  // no SYSTEMTIME for it
  };
  ExpectAll(std::begin(examples), std::end(examples));
}

}  // namespace
}  // namespace bpriv
