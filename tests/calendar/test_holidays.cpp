#include "calendar/holidays.h"

#include <gtest/gtest.h>

TEST(IsHoliday, Table)
{
    struct Case
    {
        QDate date;
        bool holiday;
        const char* why;
    };
    const Case cases[] = {
        {QDate(2024, 3, 9), true, "Saturday"},
        {QDate(2024, 3, 10), true, "Sunday"},
        {QDate(2024, 3, 5), false, "ordinary Tuesday"},
        {QDate(2025, 1, 1), true, "0101"},
        {QDate(2024, 5, 1), true, "0501"},
        {QDate(2024, 10, 9), true, "1009"},
        {QDate(2026, 1, 27), true, "0127, every year"},
        {QDate(2026, 4, 15), true, "0415, every year"},
        {QDate(2024, 4, 16), false, "the day after 0415"},
        {QDate(2024, 2, 9), true, "lunar 12/30 of a long 12th month"},
        {QDate(2022, 1, 31), false, "lunar 12/29 of a short 12th month, a Monday"},
        {QDate(2025, 1, 28), false, "lunar 12/29 of a short 12th month, a Tuesday"},
        {QDate(2025, 1, 29), true, "lunar 1/1"},
        {QDate(2025, 1, 31), false, "lunar 1/3"},
        {QDate(2024, 5, 15), true, "lunar 4/8"},
        {QDate(2001, 5, 30), true, "lunar leap 4/8: the leap flag is not consulted"},
        {QDate(1995, 10, 10), true, "lunar leap 8/16"},
        {QDate(2024, 9, 17), true, "lunar 8/15"},
        {QDate(2024, 9, 18), true, "lunar 8/16"},
        {QDate(2024, 9, 19), false, "lunar 8/17"},
        {QDate(), false, "no date"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(calendar::IsHoliday(c.date), c.holiday)
            << c.date.toString(Qt::ISODate).toStdString() << " " << c.why;
}

TEST(IsHoliday, EveryWeekendDayAndTimeOfDayIgnored)
{
    for (QDate d(2023, 1, 1); d.year() < 2027; d = d.addDays(1)) {
        if (d.dayOfWeek() >= Qt::Saturday) {
            ASSERT_TRUE(calendar::IsHoliday(d)) << d.toString(Qt::ISODate).toStdString();
        }
        ASSERT_EQ(calendar::IsHoliday(QDateTime(d, QTime(23, 59, 59))), calendar::IsHoliday(d));
    }
}
