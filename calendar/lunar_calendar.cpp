#include "calendar/lunar_calendar.h"

#include <cmath>
#include <cstdlib>
#include <mutex>
#include <numbers>
#include <unordered_map>

namespace calendar {
namespace {

// The search steps, as the calendar has always used them (not exactly 1/24
// and 1/1440 of a day; the results depend on these very values).
constexpr double kHourStep = 0.04166666666;
constexpr double kMinuteStep = 0.000694444;

// Dropping the remembered results when they grow this large keeps a
// long-running process bounded; the 1900-2100 range needs about 75,000.
constexpr std::size_t kMaxRemembered = 2'000'000;

double Norm(double v)
{
    const std::int64_t whole = static_cast<std::int64_t>(v); // truncated toward zero
    v -= 360.0 * static_cast<double>(whole / 360);
    while (v < 0)
        v += 360.0;
    while (v >= 360.0)
        v -= 360.0;
    return v;
}

bool SameMonthDay(const CivilDate& a, const CivilDate& b)
{
    return a.month == b.month && a.day == b.day;
}

std::int64_t PositiveModulo(std::int64_t value, std::int64_t modulus)
{
    const std::int64_t r = value % modulus;
    return r < 0 ? r + modulus : r;
}

struct NewMoons
{
    Moment nm1; // the last minute before the conjunction that opens D's month
    Moment nm2; // the same for the next month
};

// Month number, leap flag, year and big-month flag from the two new moons
// that bound the month of `date`. `convert` converts another civil date by the
// full procedure; it checks the month against the preceding one.
template <class Convert>
LunarDate NumberMonth(const CivilDate& date, const NewMoons& moons, Convert&& convert)
{
    const CivilDate nm1 = DateOf(moons.nm1);
    const CivilDate nm2 = DateOf(moons.nm2);

    LunarDate result;
    result.day = static_cast<int>(DaysBetween(date, nm1) + 1);
    result.bigMonth = std::llabs(DaysBetween(nm1, nm2)) == 30;

    // The solar month that holds NM1 and its major term.
    const std::int64_t p = PositiveModulo(moons.nm1 - kSolarTermEpoch, kMeanTropicalYear);
    int k = 0;
    for (int i = 0; i < 12; ++i) {
        if (SolarTermOffsets[2 * i] <= p && p < SolarTermOffsets[2 * i + 2]) {
            k = i;
            break;
        }
    }
    const Moment lastSpring = moons.nm1 - p;
    const Moment majorTerm1 = lastSpring + SolarTermOffsets[2 * k + 1];
    const int j = (2 * k + 3 > 24) ? 1 : 2 * k + 3;
    std::int64_t toNextMajor = SolarTermOffsets[j] - SolarTermOffsets[2 * k + 1];
    if (toNextMajor < 0)
        toNextMajor += kMeanTropicalYear;
    const Moment majorTerm2 = majorTerm1 + toNextMajor;

    // Only month and day are compared, never the year.
    const CivilDate mt1 = DateOf(majorTerm1);
    const CivilDate mt2 = DateOf(majorTerm2);
    if ((mt1.month == nm1.month && mt1.day >= nm1.day) ||
        (mt1.month == nm2.month && mt1.day < nm2.day)) {
        result.month = k + 1;
        result.leap = false;
    } else if ((mt2.month == nm2.month && mt2.day < nm2.day) ||
               (mt2.month == nm1.month && mt2.day >= nm1.day) ||
               (nm1.month < mt2.month && mt2.month < nm2.month)) {
        result.month = (j - 1) / 2 + 1;
        result.leap = false;
    } else {
        result.month = k + 1;
        result.leap = true;
    }

    result.year = nm1.year;
    if (result.month == 12 && nm1.month == 1)
        --result.year;

    // The mean terms misplace a month now and then; the month before tells.
    const bool check = (result.month >= 1 && result.month <= 5) || result.month == 12 ||
                       (result.month == 11 && result.leap);
    if (check) {
        const int previous = convert(DateOf(moons.nm1 - 2880)).month;
        const int expected = result.month == 1 ? 12 : result.month - 1;
        bool lower = false;
        if (previous != expected) {
            if (result.leap) {
                if (result.month != previous) {
                    lower = true;
                    result.leap = false;
                }
            } else {
                if (result.month == previous)
                    result.leap = true;
                else
                    lower = true;
            }
        } else {
            result.leap = false;
        }
        if (lower) {
            if (result.month == 1) {
                result.month = 12;
                --result.year;
            } else {
                --result.month;
            }
        }
    }
    return result;
}

// Moves the moment `x` by `step` (negative: back) while its elongation `e`
// satisfies `go`. Adding the negated step gives the same doubles as
// subtracting it.
template <typename Go> void StepWhile(double& x, double& e, double step, Go&& go)
{
    while (go(e)) {
        x = x + step;
        e = MoonSunElongation(x);
    }
}

// Steps forward by days while the elongation is below `dayLimit`, then by
// hours up to 359 degrees, then by minutes past the conjunction.
void SearchForward(double& m, double& o, double dayLimit)
{
    StepWhile(m, o, 1, [dayLimit](double e) { return e < dayLimit; });
    StepWhile(m, o, kHourStep, [](double e) { return e < 359; });
    StepWhile(m, o, kMinuteStep, [](double e) { return e > 0.01; });
}

// The same backwards: by days while the elongation is above `dayLimit`,
// by hours down to 1 degree, then by minutes back past the conjunction.
void SearchBack(double& u, double& t, double dayLimit)
{
    StepWhile(u, t, -1, [dayLimit](double e) { return e > dayLimit; });
    StepWhile(u, t, -kHourStep, [](double e) { return e > 1; });
    StepWhile(u, t, -kMinuteStep, [](double e) { return e < 359.99; });
}

// The searches exactly as the calendar describes them, with nothing
// remembered. Kept as the reference the remembering converter must match.
//
// The model's moon gains up to 13.53 degrees a day, a little more than the
// 13.5 margin of the day stages, so in a few years (1726, 2877, 3309, 6691;
// none between 1900 and 2100) the forward day stage steps over a conjunction
// and finds the one after. Those are fast, 29-day months, for which the
// 58-day span still clears the big-month flag and numbers the month the
// same, so no result changes and the searches stay as they are.
NewMoons SearchNewMoons(std::int64_t x0, const CivilDate& date)
{
    double u = static_cast<double>(x0);
    double t = MoonSunElongation(u);
    SearchBack(u, t, 13.5);
    NewMoons moons;
    moons.nm1 = LocalMomentOf(u);

    double m = static_cast<double>(x0);
    double o = MoonSunElongation(m);
    SearchForward(m, o, 346.5);
    moons.nm2 = LocalMomentOf(m);

    if (SameMonthDay(DateOf(moons.nm2), date)) {
        moons.nm1 = moons.nm2;
        SearchForward(m, o, 347);
        moons.nm2 = LocalMomentOf(m);
    }
    return moons;
}

LunarDate ConvertUncached(const CivilDate& date)
{
    const std::int64_t x0 = DaysBetween(date, kDayCountEpoch);
    return NumberMonth(date, SearchNewMoons(x0, date), ConvertUncached);
}

// The same searches, remembering what does not depend on the date itself.
// The day-by-day stage of each search moves in whole days from the integer
// x0, so it stops at a whole day that all the dates of one month share; the
// hour and minute stages that follow depend only on that day. Remembering
// their outcome per stopping day, and the elongation per whole day, gives
// bit-for-bit the same moments as running every search from scratch.
class RememberingConverter
{
public:
    LunarDate Convert(const CivilDate& date)
    {
        const std::int64_t x0 = DaysBetween(date, kDayCountEpoch);
        if (const auto it = results_.find(x0); it != results_.end())
            return it->second;
        const LunarDate result =
            NumberMonth(date, SearchNewMoons(x0, date),
                        [this](const CivilDate& other) { return Convert(other); });
        if (results_.size() >= kMaxRemembered)
            Clear();
        results_.emplace(x0, result);
        return result;
    }

    void Clear()
    {
        dayElongation_.clear();
        previous_.clear();
        next_.clear();
        following_.clear();
        results_.clear();
    }

private:
    struct Position
    {
        double at;
        double elongation;
    };

    double ElongationAtDay(std::int64_t day)
    {
        if (const auto it = dayElongation_.find(day); it != dayElongation_.end())
            return it->second;
        const double e = MoonSunElongation(static_cast<double>(day));
        dayElongation_.emplace(day, e);
        return e;
    }

    // A whole day, where the day stages of the searches stop.
    Position AtDay(std::int64_t day)
    {
        return Position{static_cast<double>(day), ElongationAtDay(day)};
    }

    // What `search` finds from `start`, remembered in `seen` under the day
    // the search depends on.
    template <typename Search>
    static Position remembered(std::unordered_map<std::int64_t, Position>& seen, std::int64_t day,
                               Position start, Search&& search)
    {
        if (const auto it = seen.find(day); it != seen.end())
            return it->second;
        search(start.at, start.elongation);
        seen.emplace(day, start);
        return start;
    }

    NewMoons SearchNewMoons(std::int64_t x0, const CivilDate& date)
    {
        NewMoons moons;

        std::int64_t back = x0;
        while (ElongationAtDay(back) > 13.5)
            --back;
        // The day stages are done above.
        const Position prev = remembered(previous_, back, AtDay(back),
                                         [](double& u, double& t) { SearchBack(u, t, 360); });
        moons.nm1 = LocalMomentOf(prev.at);

        std::int64_t ahead = x0;
        while (ElongationAtDay(ahead) < 346.5)
            ++ahead;
        const Position next = remembered(next_, ahead, AtDay(ahead),
                                         [](double& m, double& o) { SearchForward(m, o, 0); });
        moons.nm2 = LocalMomentOf(next.at);

        if (SameMonthDay(DateOf(moons.nm2), date)) {
            moons.nm1 = moons.nm2;
            // Goes on from where the search above ended, so it too depends
            // only on that search's stopping day.
            const Position follow = remembered(
                following_, ahead, next, [](double& m, double& o) { SearchForward(m, o, 347); });
            moons.nm2 = LocalMomentOf(follow.at);
        }
        return moons;
    }

    std::unordered_map<std::int64_t, double> dayElongation_;
    std::unordered_map<std::int64_t, Position> previous_;
    std::unordered_map<std::int64_t, Position> next_;
    std::unordered_map<std::int64_t, Position> following_;
    std::unordered_map<std::int64_t, LunarDate> results_;
};

std::mutex& ConverterMutex()
{
    static std::mutex m;
    return m;
}

RememberingConverter& Converter()
{
    static RememberingConverter c;
    return c;
}

} // namespace

double MoonSunElongation(double x)
{
    constexpr double pi = std::numbers::pi;

    const double l1 = 278.956807 + 0.98564736 * x;
    const double p1 = 282.869498 + 0.00004708 * x;
    const double m1 = (l1 - p1) * pi / 180;
    const double s = Norm(l1 + 1.919 * std::sin(m1) + 0.02 * std::sin(2 * m1));

    const double l2 = 27.836584 + 13.17639648 * x;
    const double p2 = 280.425774 + 0.11140356 * x;
    const double m2 = (l2 - p2) * pi / 180;
    const double n = 202.489407 - 0.05295377 * x;
    const double f2 = 2 * (l2 - n) * pi / 180;

    const double q =
        Norm(l2 + 5.068889 * std::sin(m2) + 0.146111 * std::sin(2 * m2) + 0.01 * std::sin(3 * m2) -
             0.238056 * std::sin(m1) - 0.087778 * std::sin(m2 + m1) + 0.048889 * std::sin(m2 - m1) -
             0.129722 * std::sin(f2) - 0.011111 * std::sin(f2 - m2) - 0.012778 * std::sin(f2 + m2));
    return Norm(q - s);
}

Moment LocalMomentOf(double x)
{
    return static_cast<Moment>(std::trunc((x + kLocalOffsetDays) * 1440));
}

LunarDate SolarToLunar(int year, int month, int day)
{
    if (!IsValidDate({year, month, day}))
        return {};
    std::lock_guard lock(ConverterMutex());
    return Converter().Convert({year, month, day});
}

void ResetLunarCache()
{
    std::lock_guard lock(ConverterMutex());
    Converter().Clear();
}

namespace detail {
LunarDate SolarToLunarUncached(int year, int month, int day)
{
    if (!IsValidDate({year, month, day}))
        return {};
    return ConvertUncached({year, month, day});
}
} // namespace detail

} // namespace calendar
