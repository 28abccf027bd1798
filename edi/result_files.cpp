#include "edi/result_files.h"

#include "audit/record.h"
#include "store/states.h"
#include "store/tdm1.h"

#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/ui.h"
#include "store/database.h"
#include "shell/wait_scope.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <optional>

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

platform::Result<bool> IsFileCode(QSqlDatabase db, const QString& column, const QString& code)
{
    if (code.trimmed().isEmpty())
        return false;
    QSqlQuery q(db);
    // `column` is one of the two code columns named by the readers.
    q.prepare("SELECT 1 FROM UserCode WHERE " + column + " = ? LIMIT 1");
    q.addBindValue(code);
    if (!q.exec())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    const bool found = q.next();
    if (q.lastError().isValid())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    return found;
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

namespace {

const char* const kStamp = "yyyy-MM-dd HH:mm:ss";

platform::Result<QString> hashOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return platform::Fail(file.errorString());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file) || file.error() != QFileDevice::NoError)
        return platform::Fail(file.errorString());
    return QString::fromLatin1(hash.result().toHex());
}

// When the file's bytes were applied, the time they were; empty when not.
platform::Result<QString> appliedAt(QSqlDatabase db, const QString& hash)
{
    QSqlQuery q(db);
    q.prepare("SELECT Applied FROM ReceivedAnswer WHERE Sha256 = ? AND Applied IS NOT NULL");
    q.addBindValue(hash);
    if (!q.exec())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    return q.next() ? q.value(0).toString() : QString();
}

bool markAnswer(QSqlDatabase db, const ResultFile& file, const QString& hash, const char* column)
{
    QSqlQuery q(db);
    q.prepare(QString("INSERT INTO ReceivedAnswer (Sha256, FileCode, KeptPath, Size, Kept, %1) "
                      "VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (Sha256) DO UPDATE SET %1 = "
                      "excluded.%1")
                  .arg(QLatin1String(column)));
    const QString now = shell::Now().toString(kStamp);
    for (const QVariant& v : {QVariant(hash), QVariant(file.code), QVariant(file.path),
                              QVariant(QFileInfo(file.path).size()), QVariant(now), QVariant(now)})
        q.addBindValue(v);
    return q.exec();
}

// A failure of the engine's lock leaves the file waiting for the next
// receive; anything else the file holds refuses it until given by hand.
bool busy(const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    return code == "5" || code == "6" || code.startsWith("5 ") || code.startsWith("6 ");
}

} // namespace

platform::Result<> RegisterKeptAnswers(QSqlDatabase db, const QList<ResultFile>& kept)
{
    if (kept.isEmpty())
        return {};
    store::TransactionGuard tx(db);
    if (!tx.active())
        return platform::Fail(store::WriteErrorMessage(db.lastError()));
    QSqlQuery q(db);
    q.prepare("INSERT OR IGNORE INTO ReceivedAnswer (Sha256, FileCode, KeptPath, Size, Kept) "
              "VALUES (?, ?, ?, ?, ?)");
    const QString now = shell::Now().toString(kStamp);
    for (const ResultFile& f : kept) {
        const platform::Result<QString> hash = hashOf(f.path);
        if (!hash)
            return platform::Fail(QDir::toNativeSeparators(f.path) + " : " + hash.error());
        for (const QVariant& v : {QVariant(*hash), QVariant(f.code), QVariant(f.path),
                                  QVariant(QFileInfo(f.path).size()), QVariant(now)})
            q.addBindValue(v);
        if (!q.exec())
            return platform::Fail(store::WriteErrorMessage(q.lastError()));
    }
    if (!tx.commit())
        return platform::Fail(store::WriteErrorMessage(db.lastError()));
    return {};
}

platform::Result<QList<ResultFile>> PendingAnswers(QSqlDatabase db)
{
    QSqlQuery q(db);
    if (!q.exec("SELECT KeptPath, FileCode FROM ReceivedAnswer "
                "WHERE Applied IS NULL AND Refused IS NULL ORDER BY rowid"))
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    QList<ResultFile> files;
    while (q.next())
        files.append({q.value(0).toString(), q.value(1).toString()});
    return files;
}

namespace {

// "정상 120건, 불능 3건": the outcomes a received file set, by their names.
audit::Change receiveRow(const store::TDM1& dm, const ResultFile& file,
                         const QMap<QString, int>& tallied)
{
    QStringList parts;
    for (auto it = tallied.cbegin(); it != tallied.cend(); ++it) {
        const QString table = it.key().section(':', 0, 0);
        const QString value = it.key().section(':', 1);
        QString name = value;
        if (table == QLatin1String("TongRegister"))
            name = store::ConsentStatusText(store::ConsentStatusFrom(value));
        else if (const QString text = dm.OutcomeText(value); !text.isEmpty())
            name = text;
        parts.append(QString("%1 %2건").arg(name).arg(it.value()));
    }
    return {audit::action::Receive, QStringLiteral("수신"), QFileInfo(file.path).fileName(),
            QString(), QString(), QVariant(),
            parts.isEmpty() ? QStringLiteral("바뀐 줄 없음") : parts.join(", ")};
}

} // namespace

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
            const platform::Result<QString> hash = hashOf(file.path);
            if (!hash) {
                run.fileFailed(file.path, hash.error());
                continue;
            }
            const platform::Result<QString> applied = appliedAt(db, *hash);
            if (!applied) {
                run.fileFailed(file.path, applied.error());
                continue;
            }
            if (!applied->isEmpty()) {
                run.applied.append(file.path);
                run.notes.append(QStringLiteral("이미 반영된 파일입니다. (%1, 반영 %2)")
                                     .arg(QDir::toNativeSeparators(file.path), *applied));
                continue;
            }
            FileApplied outcome;
            bool engine = false; // the failure is the engine's, not the file's
            {
                store::TransactionGuard tx(db);
                if (tx.active()) {
                    // The file is one row with its lines per outcome.
                    std::optional<audit::Quiet> quiet(std::in_place, audit::Quiet::Tally::Outcomes);
                    outcome = apply(db, file);
                    engine = outcome.engine || busy(db.lastError());
                    const QMap<QString, int> tallied = quiet->tallied();
                    quiet.reset();
                    if (outcome.ok && outcome.recognised) {
                        const platform::Result<> recorded =
                            audit::Record(db, receiveRow(dm, file, tallied));
                        if (!recorded) {
                            outcome.ok = false;
                            outcome.reason = recorded.error();
                            engine = true;
                        }
                    }
                } else {
                    outcome.reason = store::WriteErrorMessage(db.lastError());
                    engine = true;
                }
                if (outcome.ok && outcome.recognised &&
                    (!markAnswer(db, file, *hash, "Applied") || !tx.commit())) {
                    outcome.ok = false;
                    outcome.reason = writeFailure + store::WriteErrorMessage(db.lastError());
                    engine = true;
                }
            }
            if (!outcome.ok) {
                if (!engine)
                    markAnswer(db, file, *hash, "Refused");
                run.fileFailed(file.path, outcome.reason);
                continue;
            }
            run.items += outcome.items;
            run.notes += outcome.notes;
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
