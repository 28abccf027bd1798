#pragma once

#include <QDate>
#include <QDateTime>

#include <array>
#include <string_view>

namespace calendar {

// Civil month and day ("MMDD") of the fixed solar holidays; every year.
inline constexpr std::array<std::string_view, 11> SolarHolidays = {
    "0101", "0301", "0501", "0505", "0606", "0815", "1003", "1009", "1225", "0127", "0415"};

// Lunar month and day ("MMDD") of the lunar holidays. The leap flag is not
// consulted, and the eve of the new year counts only in a 30-day 12th month.
inline constexpr std::array<std::string_view, 7> LunarHolidays = {"1230", "0101", "0102", "0408",
                                                                  "0814", "0815", "0816"};

// True for a non-business day of the bank: a Saturday, a Sunday, a solar or
// a lunar holiday.
bool IsHoliday(const QDate& date);
inline bool IsHoliday(const QDateTime& moment)
{
    return IsHoliday(moment.date());
}

} // namespace calendar
