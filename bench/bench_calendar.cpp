// Holiday and lunar conversion speed over 1990-01-01..2060-12-31 (25,933
// dates), the range `pelmar-tool holiday` must print in well under 0.3 s.
// "Cold" runs drop the remembered searches first, as a fresh process has them.

#include "calendar/business_calendar.h"
#include "calendar/calendar_commands.h"
#include "calendar/holidays.h"
#include "calendar/lunar_calendar.h"
#include "store/shipped_closures.h"

#include "bench/gbench_result.h"
#include <QDate>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

const QDate kFrom(1990, 1, 1);
const QDate kTo(2060, 12, 31);

int CountHolidays()
{
    int holidays = 0;
    for (QDate d = kFrom; d <= kTo; d = d.addDays(1))
        holidays += calendar::IsHoliday(d) ? 1 : 0;
    return holidays;
}

// The shipped closures, as a new installation's branch calendar holds them.
calendar::BusinessCalendar ShippedCalendar()
{
    calendar::BusinessCalendar cal;
    for (const store::ShippedClosure& c :
         store::ReadShippedClosures(PELMAR_SOURCE_DIR "/data/closures.txt", nullptr))
        cal.addRow(c.date, true, c.name, false);
    return cal;
}

int CountBusinessHolidays(const calendar::BusinessCalendar& cal)
{
    int holidays = 0;
    for (QDate d = kFrom; d <= kTo; d = d.addDays(1))
        holidays += cal.isHoliday(d) ? 1 : 0;
    return holidays;
}

template <class F> double BestOfFive(F&& f)
{
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(f());
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void SetDateCounters(benchmark::State& state)
{
    const double dates = double(kFrom.daysTo(kTo) + 1);
    state.counters["dates"] = dates;
    state.counters["dates_per_second"] =
        benchmark::Counter(dates, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_HolidayRangeCold(benchmark::State& state)
{
    for (auto _ : state) {
        calendar::ResetLunarCache();
        benchmark::DoNotOptimize(CountHolidays());
    }
    SetDateCounters(state);
}
BENCHMARK(BM_HolidayRangeCold)->Unit(benchmark::kMillisecond);

void BM_HolidayCommandCold(benchmark::State& state)
{
    const QStringList args = {kFrom.toString(Qt::ISODate), kTo.toString(Qt::ISODate)};
    for (auto _ : state) {
        calendar::ResetLunarCache();
        QString out, err;
        QTextStream o(&out), e(&err);
        benchmark::DoNotOptimize(calendar::RunHolidayCommand(args, o, e));
    }
    SetDateCounters(state);
}
BENCHMARK(BM_HolidayCommandCold)->Unit(benchmark::kMillisecond);

void BM_HolidayRangeWarm(benchmark::State& state)
{
    CountHolidays();
    for (auto _ : state)
        benchmark::DoNotOptimize(CountHolidays());
    SetDateCounters(state);
}
BENCHMARK(BM_HolidayRangeWarm)->Unit(benchmark::kMillisecond);

// One date from scratch, with no remembered searches at all: what the
// remembering saves.
void BM_SolarToLunarUncached(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(calendar::detail::SolarToLunarUncached(2024, 2, 9));
}
BENCHMARK(BM_SolarToLunarUncached)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // A single cold pass first, as one run of the tool does it.
    calendar::ResetLunarCache();
    const auto start = std::chrono::steady_clock::now();
    const int holidays = CountHolidays();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const qint64 dates = kFrom.daysTo(kTo) + 1;
    std::printf("holiday %s..%s: %lld dates (%d non-business) in %.3f s, %.0f dates/s (cold)\n",
                qPrintable(kFrom.toString(Qt::ISODate)), qPrintable(kTo.toString(Qt::ISODate)),
                static_cast<long long>(dates), holidays, seconds, double(dates) / seconds);

    PrintResult("holiday 1990-01-01..2060-12-31, cold", seconds, 0.3);

    // The branch calendar's test against the fixed rules alone, both warm,
    // over the same range: within 1.2 times. The calendar is loaded once,
    // as a program does; its first pass works out the computed years.
    const double fixed = BestOfFive(CountHolidays);
    const calendar::BusinessCalendar loaded = ShippedCalendar();
    const auto firstStart = std::chrono::steady_clock::now();
    CountBusinessHolidays(loaded);
    const double first =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - firstStart).count();
    const double branch = BestOfFive([&] { return CountBusinessHolidays(loaded); });
    PrintResult("holiday with branch calendar 1990..2060", branch, fixed * 1.2, "fixed rules alone",
                fixed);
    std::printf("holiday with branch calendar 1990..2060, first pass: %.4f s\n", first);
    return RunWithTargets(argc, argv, {});
}
