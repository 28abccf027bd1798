#include "apps/pelmar_tool/tool_command.h"
#include "exchange/hand_over.h"
#include "shell/link_settings.h"

#include "shell/workspace.h"
#include "store/tdm1.h"

bool Reads(const QStringList&)
{
    return false;
}

bool Writes(const QStringList&)
{
    return true;
}

bool LocksItself(const QStringList&)
{
    return false;
}

bool ReadToolOptions(const QStringList& args, const QStringList& known,
                     QHash<QString, QString>& out)
{
    for (qsizetype i = 0; i < args.size(); i += 2) {
        const QString name = args[i];
        if (!name.startsWith("--") || !known.contains(name.mid(2)) || i + 1 >= args.size())
            return false;
        out.insert(name.mid(2), args[i + 1]);
    }
    return true;
}

bool OpenToolData(const ToolContext& ctx, store::TDM1& dm)
{
    if (!dm.Connect(ctx.ws.dataDir) || !dm.OpenTables())
        return false;
    if (ctx.holdsLock) {
        const platform::Result<bool> open = exchange::HasOpenHandOver(dm.db());
        if (!open) {
            ctx.ui.ShowError(QStringLiteral("송신 기록을 읽을 수 없습니다.\r") + open.error());
            return false;
        }
        if (*open) {
            // What the program does at start before any link call.
            shell::InitialiseLinkSettings();
            shell::ApplyLinkDirectories(ctx.ws);
            if (!exchange::SettleAndTell(dm, ctx.link, ctx.ws))
                return false;
        }
    }
    return true;
}
