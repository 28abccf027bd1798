// Request and result files without a window: what the transmission screen
// builds before a send and applies after a receive, without the link.

#include "apps/pelmar_tool/tool_command.h"
#include "calendar/send_cutoffs.h"
#include "consent/consent_request.h"
#include "consent/consent_result.h"
#include "edi/transfer_request.h"
#include "edi/transfer_result.h"
#include "shell/clock.h"
#include "shell/file_helpers.h"
#include "shell/workspace.h"
#include "store/tdm1.h"

#include <QDir>
#include <QFile>

namespace {

// One tab-separated line per item, with the texts the send list shows.
void printItems(ToolContext& ctx, const edi::TEdiInfoList& items)
{
    for (const edi::TEdiInfo& item : items) {
        ctx.out << edi::BusinessName(item.kind) << '\t' << edi::ShownName(item) << '\t'
                << item.fileInfo.toUpper() << '\t' << item.count << '\t' << item.amount << '\n';
    }
}

// The list shows no row for an item without lines.
bool shown(const edi::TEdiInfoList& items)
{
    for (const edi::TEdiInfo& item : items)
        if (item.count != 0)
            return true;
    return false;
}

int buildRequests(ToolContext& ctx, const QStringList& args)
{
    if (!args.isEmpty())
        return 2;
    store::TDM1 dm(ctx.ui);
    if (!OpenToolData(dm))
        return 1;
    const shell::Workspace& ws = shell::Paths();
    QDir().mkpath(ws.sendDir);
    if (!shell::DeleteAllFiles(ctx.ui, ws.sendDir))
        return 1;

    const QDateTime prepared = shell::Now();
    edi::TEdiInfoList items;
    QSqlDatabase db = dm.db();
    consent::ConsentRequestResult consents;
    if (consent::ConsentSendingOn(db) && calendar::CheckConsentCutoff(db, ctx.ui)) {
        consents = consent::BuildConsentRequests(db, ctx.ui, {prepared, ws.sendDir, ws.senderId});
        if (!consents.ok)
            return 1;
        items += consents.items;
    }
    const edi::TransferRequestResult transfers =
        edi::BuildTransferRequests(db, ctx.ui, {prepared, ws.sendDir, ws.senderId, 0});
    if (!transfers.ok) {
        // Nothing of a failed build is left to be sent.
        for (const QString& path : consents.files)
            QFile::remove(path);
        return 1;
    }
    items += transfers.items;
    if (!shown(items))
        ctx.ui.ShowInfo(QStringLiteral("송신할 자료가 없습니다."));
    printItems(ctx, items);
    return 0;
}

int applyResults(ToolContext& ctx, const QStringList& args)
{
    if (!args.isEmpty())
        return 2;
    store::TDM1 dm(ctx.ui);
    if (!OpenToolData(dm))
        return 1;
    const QString recvDir = shell::Paths().recvDir;
    edi::ResultRun all;
    if (consent::ConsentSendingOn(dm.db())) {
        const edi::ResultRun consents = consent::ApplyConsentResults(dm, recvDir);
        all.found = consents.found;
        all.items += consents.items;
        all.failures += consents.failures;
    }
    const edi::ResultRun transfers = edi::ApplyTransferResults(dm, recvDir);
    all.found = all.found || transfers.found;
    all.items += transfers.items;
    all.failures += transfers.failures;
    printItems(ctx, all.items);
    if (!all.ok())
        return 1; // the files are named in the error shown
    ctx.ui.ShowInfo(shown(all.items) ? QStringLiteral("수신된 자료의 처리가 완료되었습니다.")
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
        {"apply-results", "",
         "apply the consent and transfer result files of the receive folder and print the list",
         applyResults},
    };
}
