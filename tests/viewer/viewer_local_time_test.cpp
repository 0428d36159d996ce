// Last-change times are shown in local time, with the daylight rule of the date itself
// rather than of today. Runs with TZ=Europe/Paris: UTC+1 in winter, UTC+2 in summer.
#include <gtest/gtest.h>

#include "formatting.h"

namespace {

FILETIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    SYSTEMTIME t = {};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    FILETIME f = {};
    SystemTimeToFileTime(&t, &f);
    return f;
}

TEST(FormatLocalFileTime, WinterAndSummerInTheLocalZone) {
    EXPECT_EQ("15/01/2021 04:05", FormatLocalFileTime(Utc(2021, 1, 15, 3, 5), false));
    EXPECT_EQ("2021/07/15 05:05", FormatLocalFileTime(Utc(2021, 7, 15, 3, 5), true));
    EXPECT_EQ("01/01/2000 00:30", FormatLocalFileTime(Utc(1999, 12, 31, 23, 30), false))
        << "the local date can be the next day";
}

}  // namespace
