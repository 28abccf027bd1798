#include "exchange/send_files.h"

#include "calendar/send_cutoffs.h"
#include "consent/consent_result.h"
#include "edi/transfer_request.h"
#include "edi/transfer_result.h"
#include "shell/workspace.h"
#include "store/tdm1.h"

#include <QFile>

namespace exchange {

SendFiles BuildSendFiles(QSqlDatabase db, shell::Ui& ui, const QDateTime& prepared)
{
    const shell::Workspace& ws = shell::Paths();
    SendFiles out;
    if (consent::ConsentSendingOn(db) && calendar::CheckConsentCutoff(db, ui)) {
        const consent::ConsentRequestResult consents =
            consent::BuildConsentRequests(db, ui, {prepared, ws.sendDir, ws.senderId});
        if (!consents.ok)
            return out;
        out.items += consents.items;
        out.consents = consents.written;
        out.files = consents.files;
    }
    const edi::TransferRequestResult transfers =
        edi::BuildTransferRequests(db, ui, {prepared, ws.sendDir, ws.senderId, 0});
    if (!transfers.ok) {
        RemoveSendFiles(out);
        out = SendFiles();
        return out;
    }
    out.items += transfers.items;
    out.batchIds = transfers.batchIds;
    out.lineIds = transfers.lineIds;
    out.files += transfers.files;
    out.lineCount = transfers.lineCount;
    out.ok = true;
    return out;
}

void RemoveSendFiles(const SendFiles& files)
{
    for (const QString& path : files.files)
        QFile::remove(path);
}

edi::ResultRun ApplyReceivedFiles(store::TDM1& dm, const QString& recvDir)
{
    edi::ResultRun all;
    if (consent::ConsentSendingOn(dm.db())) {
        const edi::ResultRun consents = consent::ApplyConsentResults(dm, recvDir);
        all.found = consents.found;
        all.items += consents.items;
        all.failures += consents.failures;
        all.notes += consents.notes;
    }
    const edi::ResultRun transfers = edi::ApplyTransferResults(dm, recvDir);
    all.found = all.found || transfers.found;
    all.items += transfers.items;
    all.failures += transfers.failures;
    all.notes += transfers.notes;
    return all;
}

bool HasShownRows(const edi::TEdiInfoList& items)
{
    for (const edi::TEdiInfo& item : items)
        if (item.count != 0)
            return true;
    return false;
}

} // namespace exchange
