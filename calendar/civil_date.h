#pragma once

#include <QDate>

#include <cstdint>

// Civil (Gregorian) day arithmetic of the business calendar. The calendar
// keeps its own leap-year rule (a year divisible by 4000 is not a leap year),
// so it does its own arithmetic instead of relying on QDate's.
namespace calendar {

struct CivilDate
{
    int year = 0;
    int month = 0;
    int day = 0;

    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// A moment is a local date and time to the minute, held as a signed minute
// count from the day-count epoch, 1995-12-31 00:00.
using Moment = std::int64_t;

inline constexpr CivilDate kDayCountEpoch{1995, 12, 31};

bool IsLeapYear(int year);
// Month 1..12 and day 1..length of the month, under the calendar's own rule.
bool IsValidDate(const CivilDate& date);
int DaysInMonth(int year, int month);
int DayOfYear(const CivilDate& date);

// date1 minus date2 in days; negative when date1 is the earlier date.
std::int64_t DaysBetween(const CivilDate& date1, const CivilDate& date2);
std::int64_t DaysBetween(const QDate& date1, const QDate& date2);

// Days from the day-count epoch to `date` and back.
std::int64_t DayCount(const CivilDate& date);
CivilDate DateOfDayCount(std::int64_t days);

Moment MomentOf(const CivilDate& date, int hour, int minute);
CivilDate DateOf(Moment moment);

inline CivilDate ToCivil(const QDate& date)
{
    return {date.year(), date.month(), date.day()};
}

} // namespace calendar
