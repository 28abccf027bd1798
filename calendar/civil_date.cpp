#include "calendar/civil_date.h"

namespace calendar {
namespace {

constexpr int kMonthLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// Leap years among the years 1..n (negative n counts backwards), under the
// 4/100/400/4000 rule.
std::int64_t LeapYearsThrough(std::int64_t n)
{
    return FloorDiv(n, 4) - FloorDiv(n, 100) + FloorDiv(n, 400) - FloorDiv(n, 4000);
}

// Days from the start of year 1 to the start of `year`. Summing the lengths of
// the years in between, in closed form.
std::int64_t DaysBeforeYear(std::int64_t year)
{
    return 365 * (year - 1) + LeapYearsThrough(year - 1);
}

std::int64_t Serial(const CivilDate& date)
{
    return DaysBeforeYear(date.year) + DayOfYear(date);
}

const std::int64_t kEpochSerial = Serial(kDayCountEpoch);

} // namespace

bool IsLeapYear(int year)
{
    if (year % 4000 == 0)
        return false;
    if (year % 400 == 0)
        return true;
    if (year % 100 == 0)
        return false;
    return year % 4 == 0;
}

bool IsValidDate(const CivilDate& date)
{
    return date.month >= 1 && date.month <= 12 && date.day >= 1 &&
           date.day <= DaysInMonth(date.year, date.month);
}

int DaysInMonth(int year, int month)
{
    if (month == 2)
        return IsLeapYear(year) ? 29 : 28;
    return kMonthLengths[month - 1];
}

int DayOfYear(const CivilDate& date)
{
    int days = date.day;
    for (int m = 1; m < date.month; ++m)
        days += DaysInMonth(date.year, m);
    return days;
}

std::int64_t DaysBetween(const CivilDate& date1, const CivilDate& date2)
{
    return Serial(date1) - Serial(date2);
}

std::int64_t DaysBetween(const QDate& date1, const QDate& date2)
{
    return DaysBetween(ToCivil(date1), ToCivil(date2));
}

std::int64_t DayCount(const CivilDate& date)
{
    return Serial(date) - kEpochSerial;
}

CivilDate DateOfDayCount(std::int64_t days)
{
    const std::int64_t serial = days + kEpochSerial;
    // An estimate from the mean year length, then corrected exactly.
    std::int64_t year = FloorDiv(serial * 10000, 3652425) + 1;
    while (DaysBeforeYear(year) >= serial)
        --year;
    while (DaysBeforeYear(year + 1) < serial)
        ++year;
    int rest = static_cast<int>(serial - DaysBeforeYear(year));
    const int y = static_cast<int>(year);
    int month = 1;
    while (rest > DaysInMonth(y, month)) {
        rest -= DaysInMonth(y, month);
        ++month;
    }
    return {y, month, rest};
}

Moment MomentOf(const CivilDate& date, int hour, int minute)
{
    return DayCount(date) * 1440 + 60 * hour + minute;
}

CivilDate DateOf(Moment moment)
{
    return DateOfDayCount(FloorDiv(moment, 1440));
}

} // namespace calendar
