#include "calendar/holidays.h"

#include "calendar/lunar_calendar.h"

#include <algorithm>

namespace calendar {
namespace {

// "MMDD" of a month and a day, each zero-padded to two digits.
std::array<char, 4> MonthDayText(int month, int day)
{
    return {static_cast<char>('0' + month / 10), static_cast<char>('0' + month % 10),
            static_cast<char>('0' + day / 10), static_cast<char>('0' + day % 10)};
}

template <std::size_t N>
bool Listed(const std::array<std::string_view, N>& list, const std::array<char, 4>& text)
{
    const std::string_view key(text.data(), text.size());
    return std::find(list.begin(), list.end(), key) != list.end();
}

} // namespace

bool IsHoliday(const QDate& date)
{
    if (!date.isValid())
        return false;
    const int weekday = date.dayOfWeek();
    if (weekday == Qt::Saturday || weekday == Qt::Sunday)
        return true;
    if (Listed(SolarHolidays, MonthDayText(date.month(), date.day())))
        return true;
    const LunarDate lunar = SolarToLunar(date.year(), date.month(), date.day());
    return Listed(LunarHolidays, MonthDayText(lunar.month, lunar.day));
}

} // namespace calendar
