#include "exchange/send_files.h"

#include "calendar/send_cutoffs.h"
#include "consent/consent_result.h"
#include "edi/transfer_request.h"
#include "edi/transfer_result.h"
#include "shell/kept_files.h"
#include "shell/workspace.h"
#include "store/bulk_write.h"
#include "store/states.h"
#include "store/tdm1.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

namespace exchange {

SendFiles BuildSendFiles(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                         const QDateTime& prepared, int divisor)
{
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
        edi::BuildTransferRequests(db, ui, {prepared, ws.sendDir, ws.senderId, divisor});
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

QString RecordSend(QSqlDatabase db, const SendFiles& files)
{
    // All three or none: a send recorded by halves would leave batches
    // that went out looking unsent, or consents advanced for nothing.
    using store::BatchState;
    using store::ConsentStatus;
    store::BulkWrite bulk(db);
    if (!bulk.run("UPDATE Apt1 SET State = ? WHERE AptID = ? AND State = ?",
                  int(files.batchIds.size()), [&](QSqlQuery& q, int row) {
                      q.addBindValue(store::StoredValue(BatchState::Sent));
                      q.addBindValue(files.batchIds[row]);
                      q.addBindValue(store::StoredValue(BatchState::Waiting));
                  }))
        return QStringLiteral("Apt1");
    // The lines the files carry, not the batch's lines of now: a line
    // added after the build did not go.
    if (!bulk.run("UPDATE Apt2 SET State = ? WHERE Apt2ID = ?", int(files.lineIds.size()),
                  [&](QSqlQuery& q, int row) {
                      q.addBindValue(store::StoredValue(BatchState::Sent));
                      q.addBindValue(files.lineIds[row]);
                  }))
        return QStringLiteral("Apt2");
    // A waiting consent goes to sending: registration or cancellation.
    const QList<ConsentStatus> waiting{ConsentStatus::RegisterWaiting,
                                       ConsentStatus::CancelWaiting};
    if (!bulk.run("UPDATE TongRegister SET Status = CASE Status WHEN ? THEN ? WHEN ? THEN ? END "
                  "WHERE Giganid = ? AND Bankcd = ? AND Bankno = ? AND NapbuNO = ? AND "
                  "Status IN (?, ?)",
                  int(files.consents.size()), [&](QSqlQuery& q, int row) {
                      const consent::ConsentKey& k = files.consents[row];
                      for (ConsentStatus w : waiting) {
                          q.addBindValue(store::StoredValue(w));
                          q.addBindValue(store::StoredValue(*store::SendingStatus(w)));
                      }
                      for (const QString& v : {k.Giganid, k.Bankcd, k.Bankno, k.NapbuNO})
                          q.addBindValue(v);
                      for (ConsentStatus w : waiting)
                          q.addBindValue(store::StoredValue(w));
                  }))
        return QStringLiteral("TongRegister");
    if (!bulk.commit())
        return QStringLiteral("TongRegister");
    return {};
}

namespace {

void add(edi::ResultRun& all, const edi::ResultRun& run)
{
    all.found = all.found || run.found;
    all.items += run.items;
    all.failures += run.failures;
    all.failedFiles += run.failedFiles;
    all.notes += run.notes;
}

} // namespace

edi::ResultRun ApplyReceivedFiles(store::TDM1& dm, const shell::Workspace& ws)
{
    edi::ResultRun all;
    if (consent::ConsentSendingOn(dm.db()))
        add(all, consent::ApplyConsentResults(dm, ws.recvDir));
    add(all, edi::ApplyTransferResults(dm, ws.recvDir, shell::KeptSendDir(ws)));
    return all;
}

edi::ResultRun ApplyResultFiles(store::TDM1& dm, const shell::Workspace& ws,
                                const QStringList& paths)
{
    QSqlDatabase db = dm.db();
    const bool consents = consent::ConsentSendingOn(db);
    QList<edi::ResultFile> consentFiles;
    QList<edi::ResultFile> transferFiles;
    edi::ResultRun unknown;
    for (const QString& path : paths) {
        const QString name = QFileInfo(path).fileName();
        const auto isCode = [&](const QString& code) {
            return edi::IsFileCode(db, "APIN", code) || edi::IsFileCode(db, "TREGISTERIN", code);
        };
        const QString code = isCode(name) ? name : shell::KeptFileCode(name);
        if (!isCode(code)) {
            unknown.fileFailed(
                path, QStringLiteral("수신화일정보로 등록된 기관이 없는 파일 이름입니다."));
            continue;
        }
        if (consents && edi::IsFileCode(db, "TREGISTERIN", code))
            consentFiles.append({path, code});
        if (edi::IsFileCode(db, "APIN", code))
            transferFiles.append({path, code});
    }
    unknown.found = !paths.isEmpty();
    unknown.report(dm.ui());
    edi::ResultRun all = unknown;
    if (!consentFiles.isEmpty())
        add(all, consent::ApplyConsentResults(dm, consentFiles));
    if (!transferFiles.isEmpty())
        add(all, edi::ApplyTransferResults(dm, transferFiles, shell::KeptSendDir(ws)));
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
