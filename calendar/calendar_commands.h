#pragma once

#include <QStringList>
#include <QTextStream>

// The pelmar-tool commands of the business calendar. `args` are the words
// after the command name; the result is the exit code (0 done, 2 usage).
namespace calendar {

// lunar FROM [TO]: "YYYY-MM-DD LY LM LD L B" for each date, L = leap month,
// B = 30-day month.
int RunLunarCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// holiday FROM [TO]: "YYYY-MM-DD 1" for a non-business day, else "... 0".
int RunHolidayCommand(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace calendar
