// pelmar-tool commands of the business calendar.

#include "apps/pelmar_tool/tool_command.h"
#include "calendar/calendar_commands.h"

namespace {

int lunar(ToolContext& ctx, const QStringList& args)
{
    return calendar::RunLunarCommand(args, ctx.out, ctx.err);
}

int holiday(ToolContext& ctx, const QStringList& args)
{
    return calendar::RunHolidayCommand(args, ctx.out, ctx.err);
}

} // namespace

QList<ToolCommand> CalendarCommands()
{
    return {
        {"lunar", "FROM [TO]",
         "print 'YYYY-MM-DD LY LM LD L B' per date (L leap month, B 30-day month)", lunar, Reads},
        {"holiday", "FROM [TO]", "print 'YYYY-MM-DD 1' for a non-business day, else 0", holiday,
         Reads},
    };
}
