#pragma once

#include "calendar/civil_date.h"

#include <array>
#include <cstdint>

// The Korean lunar calendar, computed astronomically: new moons from a
// low-precision model of the sun's and the moon's apparent longitudes, month
// numbers and leap months from the mean solar terms.
namespace calendar {

// Offsets in minutes of the 24 mean solar terms from the start of the solar
// year (입춘); index 24 is the next year's 입춘. Even indexes open a solar
// month, odd indexes are its major term.
inline constexpr std::array<std::int32_t, 25> SolarTermOffsets = {
    0,      21355,  42843,  64498,  86335,  108366, 130578, 152958, 175471,
    198077, 220728, 243370, 265955, 288432, 310767, 332928, 354903, 376685,
    398290, 419736, 441060, 462295, 483493, 504693, 525949};

inline constexpr std::int32_t kMeanTropicalYear = 525949; // minutes
// 1996-02-04 22:08 local time, an instance of 입춘.
inline constexpr Moment kSolarTermEpoch = 35 * 1440 + 22 * 60 + 8;
// Local time is Universal Time plus 9 hours.
inline constexpr double kLocalOffsetDays = 0.375;

struct LunarDate
{
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..30
    bool leap = false;
    bool bigMonth = false; // the month has 30 days

    friend bool operator==(const LunarDate&, const LunarDate&) = default;
};

// Elongation of the moon from the sun in degrees, 0 <= result < 360, at `x`
// days (Universal Time) after the day-count epoch.
double MoonSunElongation(double x);

// The local moment of a search position x (days since the epoch, UT).
Moment LocalMomentOf(double x);

// An impossible date gives an all-zero result.
LunarDate SolarToLunar(int year, int month, int day);
inline LunarDate SolarToLunar(const CivilDate& date)
{
    return SolarToLunar(date.year, date.month, date.day);
}

// The conversion remembers what it has computed (results are a pure function
// of the date). Benchmarks drop that memory to measure a cold start.
void ResetLunarCache();

namespace detail {
// The same conversion without any remembered results: every search runs from
// scratch. Slow; the tests use it to prove the cache changes nothing.
LunarDate SolarToLunarUncached(int year, int month, int day);
} // namespace detail

} // namespace calendar
