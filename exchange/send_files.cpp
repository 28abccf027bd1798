#include "exchange/send_files.h"

#include "calendar/send_cutoffs.h"
#include "consent/consent_result.h"
#include "edi/transfer_request.h"
#include "edi/transfer_result.h"
#include "shell/kept_files.h"
#include "shell/ui.h"
#include "shell/workspace.h"
#include "store/bulk_write.h"
#include "store/states.h"
#include "store/tdm1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

namespace exchange {

SendFiles BuildSendFiles(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                         const QDateTime& prepared, int divisor)
{
    SendFiles out;
    const platform::Result<bool> consentsOn = consent::ConsentSendingOn(db);
    if (!consentsOn) {
        ui.ShowError(consentsOn.error());
        return out;
    }
    std::optional<bool> consentsGo = false;
    if (*consentsOn && !(consentsGo = calendar::CheckConsentCutoff(db, ui)))
        return out;
    if (*consentsGo) {
        const consent::ConsentRequestResult consents =
            consent::BuildConsentRequests(db, ui, {prepared, ws.sendDir, ws.senderId});
        if (!consents.ok)
            return out;
        out.items += consents.items;
        out.consents = consents.written;
        out.files = consents.files;
        // One file per institution, each as many consents as its item counts.
        qsizetype next = 0;
        for (qsizetype i = 0; i < consents.files.size(); ++i) {
            RequestFile f{consents.files[i], edi::KindConsent, {}, {}, {}};
            const int count = consents.items.value(i).count;
            f.consents = consents.written.mid(next, count);
            next += count;
            out.requestFiles.append(f);
        }
    }
    const edi::TransferRequestResult transfers =
        edi::BuildTransferRequests(db, ui, {prepared, ws.sendDir, ws.senderId, divisor});
    if (!transfers.ok) {
        RemoveSendFiles(out);
        out = SendFiles();
        return out;
    }
    out.items += transfers.items;
    const qsizetype firstTransfer = out.requestFiles.size();
    for (const QString& path : transfers.files)
        out.requestFiles.append({path, edi::KindTransfer, {}, {}, {}});
    // The batches come in file order, each with as many lines as its item counts.
    qsizetype nextLine = 0;
    for (qsizetype i = 0; i < transfers.batchIds.size(); ++i) {
        const int file = transfers.batchFiles.value(i, -1);
        if (file < 0 || file >= transfers.files.size()) {
            // What a file carries must be known before it may leave.
            ui.ShowError(edi::BuildErrorMessage());
            out.files += transfers.files;
            RemoveSendFiles(out);
            return SendFiles();
        }
        RequestFile& f = out.requestFiles[firstTransfer + file];
        const int count = transfers.items.value(i).count;
        f.batchIds.append(transfers.batchIds[i]);
        f.lineIds.append(transfers.lineIds.mid(nextLine, count));
        nextLine += count;
    }
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

namespace {

void add(edi::ResultRun& all, const edi::ResultRun& run)
{
    all.found = all.found || run.found;
    all.items += run.items;
    all.failures += run.failures;
    all.failedFiles += run.failedFiles;
    all.notes += run.notes;
    all.applied += run.applied;
}

} // namespace

platform::Result<KeptAnswers> KeepReceivedAnswers(QSqlDatabase db, const shell::Workspace& ws)
{
    const shell::KeptFiles kept = shell::KeepFiles(ws.recvDir, shell::KeptReceiveDir(ws));
    if (!kept.ok)
        return platform::Fail(kept.error);
    const platform::Result<bool> consents = consent::ConsentSendingOn(db);
    if (!consents)
        return platform::Fail(consents.error());
    QList<edi::ResultFile> answers;
    for (auto it = kept.copies.cbegin(); it != kept.copies.cend(); ++it) {
        const QString code = shell::KeptFileCode(it.key());
        const platform::Result<bool> transfer = edi::IsFileCode(db, "APIN", code);
        const platform::Result<bool> consent =
            *consents && transfer && !*transfer ? edi::IsFileCode(db, "TREGISTERIN", code)
                                                : platform::Result<bool>(false);
        if (!transfer || !consent)
            return platform::Fail(transfer ? consent.error() : transfer.error());
        if (*transfer || *consent)
            answers.append({it.value(), code});
    }
    std::sort(answers.begin(), answers.end(),
              [](const edi::ResultFile& a, const edi::ResultFile& b) { return a.path < b.path; });
    if (const platform::Result<> registered = edi::RegisterKeptAnswers(db, answers); !registered)
        return platform::Fail(registered.error());
    return KeptAnswers{kept, answers};
}

edi::ResultRun ApplyPendingAnswers(store::TDM1& dm, const shell::Workspace& ws,
                                   const QList<edi::ResultFile>& fetched)
{
    const platform::Result<QList<edi::ResultFile>> pending = edi::PendingAnswers(dm.db());
    if (!pending) {
        edi::ResultRun failed;
        failed.found = true;
        failed.failures.append(pending.error());
        failed.report(dm.ui());
        return failed;
    }
    QStringList paths;
    for (const edi::ResultFile& f : *pending + fetched)
        if (!paths.contains(f.path))
            paths.append(f.path);
    if (paths.isEmpty())
        return {};
    return ApplyResultFiles(dm, ws, paths);
}

edi::ResultRun ApplyReceivedFiles(store::TDM1& dm, const shell::Workspace& ws)
{
    const platform::Result<KeptAnswers> kept = KeepReceivedAnswers(dm.db(), ws);
    if (!kept) {
        edi::ResultRun failed;
        failed.found = true;
        failed.fileFailed(QDir::toNativeSeparators(ws.recvDir), kept.error());
        failed.report(dm.ui());
        return failed;
    }
    return ApplyPendingAnswers(dm, ws, kept->answers);
}

edi::ResultRun ApplyResultFiles(store::TDM1& dm, const shell::Workspace& ws,
                                const QStringList& paths)
{
    QSqlDatabase db = dm.db();
    edi::ResultRun unknown;
    unknown.found = !paths.isEmpty();
    // A code table that does not read leaves every file waiting, named.
    const auto unread = [&](const QString& error) {
        for (const QString& path : paths)
            unknown.fileFailed(path, error);
        unknown.report(dm.ui());
        return unknown;
    };
    const platform::Result<bool> consents = consent::ConsentSendingOn(db);
    if (!consents)
        return unread(consents.error());
    QList<edi::ResultFile> consentFiles;
    QList<edi::ResultFile> transferFiles;
    for (const QString& path : paths) {
        const QString name = QFileInfo(path).fileName();
        // Whether `code` names a transfer answer, a consent answer, or neither.
        const auto kinds = [&](const QString& code) -> platform::Result<std::pair<bool, bool>> {
            const platform::Result<bool> transfer = edi::IsFileCode(db, "APIN", code);
            if (!transfer)
                return platform::Fail(transfer.error());
            const platform::Result<bool> consent = edi::IsFileCode(db, "TREGISTERIN", code);
            if (!consent)
                return platform::Fail(consent.error());
            return std::pair{*transfer, *consent};
        };
        platform::Result<std::pair<bool, bool>> kind = kinds(name);
        QString code = name;
        if (kind && !kind->first && !kind->second) {
            code = shell::KeptFileCode(name);
            kind = kinds(code);
        }
        if (!kind)
            return unread(kind.error());
        if (!kind->first && !kind->second) {
            unknown.fileFailed(
                path, QStringLiteral("수신화일정보로 등록된 기관이 없는 파일 이름입니다."));
            continue;
        }
        if (*consents && kind->second)
            consentFiles.append({path, code});
        if (kind->first)
            transferFiles.append({path, code});
    }
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
