#include "calendar/calendar_commands.h"

#include "calendar/holidays.h"
#include "calendar/lunar_calendar.h"

#include <QDate>
#include <QRegularExpression>

#include <optional>
#include <utility>

namespace calendar {
namespace {

constexpr int kUsageExit = 2;

std::optional<QDate> ParseDate(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid() || !IsValidDate(ToCivil(date)))
        return std::nullopt;
    return date;
}

std::optional<std::pair<QDate, QDate>> ParseRange(const QStringList& args)
{
    if (args.size() < 1 || args.size() > 2)
        return std::nullopt;
    const auto from = ParseDate(args.at(0));
    const auto to = args.size() == 2 ? ParseDate(args.at(1)) : from;
    if (!from || !to || *to < *from)
        return std::nullopt;
    return std::make_pair(*from, *to);
}

template <class Line>
int RunOverRange(const char* command, const QStringList& args, QTextStream& out, QTextStream& err,
                 Line&& line)
{
    const auto range = ParseRange(args);
    if (!range) {
        err << "pelmar-tool " << command
            << ": FROM and TO are dates YYYY-MM-DD; TO defaults to FROM and may not be "
               "earlier\n";
        err.flush();
        return kUsageExit;
    }
    for (QDate date = range->first; date <= range->second; date = date.addDays(1)) {
        // Dates the calendar's own leap rule does not have (4000-02-29) are left out.
        if (!IsValidDate(ToCivil(date)))
            continue;
        out << date.toString(Qt::ISODate) << ' ';
        line(date);
        out << '\n';
    }
    out.flush();
    return 0;
}

} // namespace

int RunLunarCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    return RunOverRange("lunar", args, out, err, [&](const QDate& date) {
        const LunarDate l = SolarToLunar(date.year(), date.month(), date.day());
        out << l.year << ' ' << l.month << ' ' << l.day << ' ' << (l.leap ? 1 : 0) << ' '
            << (l.bigMonth ? 1 : 0);
    });
}

int RunHolidayCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    return RunOverRange("holiday", args, out, err,
                        [&](const QDate& date) { out << (IsHoliday(date) ? 1 : 0); });
}

int RunHolidayCommand(const QStringList& args, const BusinessCalendar& calendar, QTextStream& out,
                      QTextStream& err)
{
    return RunOverRange("holiday", args, out, err,
                        [&](const QDate& date) { out << (calendar.isHoliday(date) ? 1 : 0); });
}

int RunCalendarListCommand(const QStringList& args, const BusinessCalendar& calendar,
                           QTextStream& out, QTextStream& err)
{
    bool ok = false;
    const int year = args.size() == 1 ? args.at(0).toInt(&ok) : 0;
    if (!ok || year < 1900 || year > 2100) {
        err << "pelmar-tool calendar list: YEAR is 1900..2100\n";
        err.flush();
        return kUsageExit;
    }
    for (const CalendarDay& day : calendar.yearList(year))
        out << day.date.toString(Qt::ISODate) << '\t' << KindText(day.closed) << '\t'
            << SourceText(day.source) << '\t' << day.name << '\n';
    out.flush();
    return 0;
}

} // namespace calendar
