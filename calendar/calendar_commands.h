#pragma once

#include <QStringList>
#include <QTextStream>

#include "calendar/business_calendar.h"

// The pelmar-tool commands of the business calendar. `args` are the words
// after the command name; the result is the exit code (0 done, 2 usage).
namespace calendar {

// lunar FROM [TO]: "YYYY-MM-DD LY LM LD L B" for each date, L = leap month,
// B = 30-day month.
int RunLunarCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// holiday FROM [TO]: "YYYY-MM-DD 1" for a non-business day, else "... 0".
// Without a calendar, the fixed rules alone answer.
int RunHolidayCommand(const QStringList& args, QTextStream& out, QTextStream& err);
int RunHolidayCommand(const QStringList& args, const BusinessCalendar& calendar, QTextStream& out,
                      QTextStream& err);

// calendar list YEAR: "date<TAB>kind<TAB>source<TAB>name" for every
// non-business weekday of the year and every day the branch re-opened.
int RunCalendarListCommand(const QStringList& args, const BusinessCalendar& calendar,
                           QTextStream& out, QTextStream& err);

} // namespace calendar
