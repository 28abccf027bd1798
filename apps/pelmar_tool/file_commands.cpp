// Request and result files without a window: what the transmission screen
// builds before a send and applies after a receive, without the link.

#include "apps/pelmar_tool/tool_command.h"
#include "exchange/edi_flow.h"
#include "exchange/hand_over.h"
#include "exchange/send_files.h"
#include "shell/clock.h"
#include "shell/file_helpers.h"
#include "shell/workspace.h"
#include "store/exchange_files.h"
#include "store/tdm1.h"

#include <QDir>
#include <QFileInfo>

namespace {

// One tab-separated line per item, with the texts the send list shows.
void printItems(ToolContext& ctx, const edi::TEdiInfoList& items)
{
    for (const edi::TEdiInfo& item : items) {
        ctx.out << edi::BusinessName(item.kind) << '\t' << edi::ShownName(item) << '\t'
                << item.fileInfo.toUpper() << '\t' << item.count << '\t' << item.amount << '\n';
    }
}

int buildRequests(ToolContext& ctx, const QStringList& args)
{
    if (!args.isEmpty())
        return 2;
    store::TDM1 dm(ctx.ui, ctx.ws);
    if (!OpenToolData(ctx, dm))
        return 1;
    // Nothing is built while an earlier hand-over stays unsettled.
    const exchange::HandOverCheck check = exchange::SettleOpenHandOvers(dm, ctx.link, ctx.ws);
    if (!check.clear) {
        ctx.ui.ShowError(check.message);
        return 1;
    }
    const shell::Workspace& ws = ctx.ws;
    QDir().mkpath(ws.sendDir);
    const platform::Result<shell::ExchangeFileNames> names = store::ExchangeFileNamesOf(dm.db());
    if (!names) {
        ctx.ui.ShowError(names.error());
        return 1;
    }
    if (!shell::EmptySendFolder(ctx.ui, ws.sendDir, ws.programDir, *names))
        return 1;

    const exchange::SendFiles built =
        exchange::BuildSendFiles(dm.db(), ctx.ui, ctx.ws, shell::Now());
    if (!built.ok)
        return 1; // nothing of a failed build is left to be sent
    const edi::TEdiInfoList& items = built.items;
    if (!exchange::HasShownRows(items))
        ctx.ui.ShowInfo(QStringLiteral("송신할 자료가 없습니다."));
    printItems(ctx, items);
    return 0;
}

int applyResults(ToolContext& ctx, const QStringList& args)
{
    for (const QString& a : args)
        if (a.isEmpty() || a.startsWith('-'))
            return 2;
    store::TDM1 dm(ctx.ui, ctx.ws);
    if (!OpenToolData(ctx, dm))
        return 1;
    QStringList files;
    for (const QString& a : args)
        files.append(QFileInfo(a).absoluteFilePath());
    // Without files: the receive folder, as a receive applies it.
    const edi::ResultRun all = files.isEmpty() ? exchange::ApplyReceivedFiles(dm, ctx.ws)
                                               : exchange::ApplyResultFiles(dm, ctx.ws, files);
    printItems(ctx, all.items);
    if (!all.ok())
        return 1; // the files are named in the error shown
    ctx.ui.ShowInfo(exchange::HasShownRows(all.items)
                        ? QStringLiteral("수신된 자료의 처리가 완료되었습니다.")
                    : !all.applied.isEmpty() ? exchange::AlreadyAppliedMessage()
                                             : QStringLiteral("수신된 자료가 없습니다."));
    return 0;
}

} // namespace

QList<ToolCommand> FileCommands()
{
    return {
        {"build-requests", "",
         "write the consent and transfer request files into the send folder (no send, no state "
         "change) and print the send list",
         buildRequests},
        {"apply-results", "[FILE...]",
         "apply the consent and transfer result files of the receive folder, or the files given "
         "(a kept answer of Recv/Old/ included), and print the list",
         applyResults},
    };
}
