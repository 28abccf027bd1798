// pelmar-tool commands of the business calendar.

#include "calendar/calendar_commands.h"
#include "apps/pelmar_tool/tool_command.h"
#include "calendar/business_calendar.h"
#include "store/shipped_closures.h"
#include "store/tdm1.h"

namespace {

int lunar(ToolContext& ctx, const QStringList& args)
{
    return calendar::RunLunarCommand(args, ctx.out, ctx.err);
}

int holiday(ToolContext& ctx, const QStringList& args)
{
    if (args.value(0) == "--fixed")
        return calendar::RunHolidayCommand(args.mid(1), ctx.out, ctx.err);
    store::TDM1 dm(ctx.ui, ctx.ws);
    if (!OpenToolData(ctx, dm))
        return 1;
    QSqlDatabase db = dm.db();
    const std::optional<calendar::BusinessCalendar> cal = calendar::LoadBusinessCalendar(db, ctx.ui);
    if (!cal)
        return 1;
    return calendar::RunHolidayCommand(args, *cal, ctx.out, ctx.err);
}

// Only "list" leaves the branch calendar as it is.
bool calendarWrites(const QStringList& args)
{
    return args.value(0) != QLatin1String("list");
}

int calendarCommand(ToolContext& ctx, const QStringList& args)
{
    const QString verb = args.value(0);
    const QStringList rest = args.mid(1);
    const bool changes = verb == "add" || verb == "open" || verb == "remove";
    if (!(verb == "list" && rest.size() == 1) &&
        !((verb == "add" || verb == "open") && rest.size() == 2) &&
        !(verb == "remove" && rest.size() == 1))
        return 2;
    QDate date;
    if (changes) {
        date = store::ParseCalendarDate(rest.at(0));
        if (!date.isValid()) {
            ctx.ui.ShowError(QStringLiteral("날짜가 올바르지 않습니다. (1900-01-01 ~ 2100-12-31)"));
            return 1;
        }
    }
    store::TDM1 dm(ctx.ui, ctx.ws);
    if (!OpenToolData(ctx, dm))
        return 1;
    QSqlDatabase db = dm.db();
    if (verb == "list") {
        calendar::BusinessCalendar cal;
        if (const platform::Result<> loaded = cal.load(db); !loaded) {
            ctx.ui.ShowError(loaded.error());
            return 1;
        }
        return calendar::RunCalendarListCommand(rest, cal, ctx.out, ctx.err);
    }
    if (verb == "remove")
        return calendar::RemoveBranchDay(db, ctx.ui, date) ? 0 : 1;
    return calendar::SetBranchDay(db, ctx.ui, date, verb == "add", rest.at(1)) ? 0 : 1;
}

} // namespace

QList<ToolCommand> CalendarCommands()
{
    return {
        {"lunar", "FROM [TO]",
         "print 'YYYY-MM-DD LY LM LD L B' per date (L leap month, B 30-day month)", lunar, Reads},
        {"holiday", "[--fixed] FROM [TO]",
         "print 'YYYY-MM-DD 1' for a non-business day, else 0 (--fixed: the fixed rules alone)",
         holiday, Reads},
        {"calendar", "list YEAR | add DATE NAME | open DATE NAME | remove DATE",
         "the branch calendar: list a year (date, kind, source, name), add a closed day, "
         "re-open a day, remove the branch's own row",
         calendarCommand, calendarWrites},
    };
}
