#include "calendar/civil_date.h"

#include <gtest/gtest.h>

#include <random>

using calendar::CivilDate;

TEST(CivilDate, DaysBetweenIsSignedAndKeepsTheFourThousandYearRule)
{
    struct Case
    {
        CivilDate a, b;
        std::int64_t days;
    };
    const Case cases[] = {
        {{1996, 2, 4}, {1995, 12, 31}, 35},     {{1995, 12, 31}, {1996, 2, 4}, -35},
        {{2024, 3, 1}, {2024, 2, 28}, 2},       {{2100, 3, 1}, {2100, 2, 28}, 1},
        {{2400, 3, 1}, {2400, 2, 28}, 2},       {{4000, 3, 1}, {4000, 2, 28}, 1},
        {{4001, 1, 1}, {4000, 1, 1}, 365},      {{2000, 1, 1}, {1900, 1, 1}, 36524},
        {{1900, 1, 1}, {1995, 12, 31}, -35062},
    };
    for (const Case& c : cases)
        EXPECT_EQ(calendar::DaysBetween(c.a, c.b), c.days) << c.a.year << "-" << c.a.month;
}

// The closed form against whole years summed one by one, and day counts
// broken back into dates, far on both sides of the epoch.
TEST(CivilDate, ClosedFormMatchesYearByYearSumAndRoundTrips)
{
    const auto yearLength = [](int y) { return calendar::IsLeapYear(y) ? 366 : 365; };
    std::mt19937 rng(5);
    std::uniform_int_distribution<std::int64_t> day(-800000, 900000);
    for (int i = 0; i < 3000; ++i) {
        CivilDate a = calendar::DateOfDayCount(day(rng));
        CivilDate b = calendar::DateOfDayCount(day(rng));
        ASSERT_TRUE(calendar::IsValidDate(a));
        ASSERT_EQ(calendar::DateOfDayCount(calendar::DayCount(a)), a);
        if (a.year > b.year || (a.year == b.year && a.month > b.month))
            std::swap(a, b);
        std::int64_t days = calendar::DayOfYear(b) - calendar::DayOfYear(a);
        for (int y = a.year; y < b.year; ++y)
            days += yearLength(y);
        ASSERT_EQ(calendar::DaysBetween(b, a), days);
    }
    EXPECT_EQ(calendar::DateOf(-1), (CivilDate{1995, 12, 30}));
    EXPECT_EQ(calendar::MomentOf({1996, 2, 4}, 22, 8), 51728);
}
