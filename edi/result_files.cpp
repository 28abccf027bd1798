#include "edi/result_files.h"

#include "shell/codec.h"
#include "shell/ui.h"
#include "shell/wait_scope.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace edi {

QStringList ReceivedFiles(QSqlDatabase db, const QString& column, const QString& recvDir)
{
    QStringList files;
    if (recvDir.isEmpty())
        return files;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // `column` is one of the two code columns named by the readers.
    if (!q.exec("SELECT " + column + " FROM UserCode\nGROUP BY " + column))
        return files;
    while (q.next()) {
        const QString code = q.value(0).toString();
        if (code.trimmed().isEmpty() || code.contains('/') || code.contains(QDir::separator()))
            continue;
        const QString path = recvDir + code;
        if (QFileInfo(path).isFile())
            files.append(path);
    }
    return files;
}

QList<ResultFile> NamedByCode(const QStringList& paths)
{
    QList<ResultFile> files;
    for (const QString& path : paths)
        files.append({path, QFileInfo(path).fileName()});
    return files;
}

bool IsFileCode(QSqlDatabase db, const QString& column, const QString& code)
{
    if (code.trimmed().isEmpty())
        return false;
    QSqlQuery q(db);
    // `column` is one of the two code columns named by the readers.
    q.prepare("SELECT 1 FROM UserCode WHERE " + column + " = ? LIMIT 1");
    q.addBindValue(code);
    return q.exec() && q.next();
}

void ResultRun::fileFailed(const QString& path, const QString& reason)
{
    failedFiles.append(path);
    failures.append(QString("파일 : %1\r사유 : %2").arg(QDir::toNativeSeparators(path), reason));
}

void ResultRun::report(shell::Ui& ui) const
{
    if (!failures.isEmpty())
        ui.ShowError(ReceiveErrorMessage() + "\r다음 파일은 반영하지 않았습니다.\r\r" +
                     failures.join("\r\r"));
    if (!notes.isEmpty())
        ui.ShowInfo("수신 자료 중 반영하지 않은 자료가 있습니다.\r\r" + notes.join('\r'));
}

ResultRun
ApplyEachFile(store::TDM1& dm, const QList<ResultFile>& files, const QString& writeFailure,
              const std::function<FileApplied(QSqlDatabase& db, const ResultFile& file)>& apply)
{
    ResultRun run;
    run.found = !files.isEmpty();
    if (!run.found)
        return run;
    {
        shell::WaitScope wait(
            dm.ui(), QStringLiteral("수신된 자료를 처리중입니다. 잠시만 기다려 주십시오."));
        for (const ResultFile& file : files) {
            QSqlDatabase db = dm.db();
            store::TransactionGuard tx(db);
            FileApplied applied;
            if (tx.active())
                applied = apply(db, file);
            else
                applied.reason = db.lastError().text();
            if (applied.ok && applied.recognised && !tx.commit()) {
                applied.ok = false;
                applied.reason = writeFailure + db.lastError().text();
            }
            if (!applied.ok) {
                run.fileFailed(file.path, applied.reason);
                continue;
            }
            run.items += applied.items;
            run.notes += applied.notes;
        }
    }
    run.report(dm.ui());
    return run;
}

QString ReceiveErrorMessage()
{
    return QStringLiteral("수신 자료 처리중 오류가 발생하였습니다.");
}

QString FitColumn(const QString& text, int width)
{
    const QByteArray bytes = shell::ToCp949(text);
    if (bytes.size() <= width)
        return text;
    return shell::FromCp949(shell::LeftBytes(bytes, width)).trimmed();
}

} // namespace edi
