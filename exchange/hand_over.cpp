#include "exchange/hand_over.h"
#include "store/database.h"

#include "audit/record.h"

#include "consent/evidence_rules.h"
#include "edi/link.h"
#include "exchange/edi_flow.h"
#include "exchange/send_result.h"
#include "shell/clock.h"
#include "shell/envelope_line.h"
#include "shell/log.h"
#include "shell/ui.h"
#include "shell/workspace.h"
#include "store/bulk_write.h"
#include "store/states.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <optional>

namespace exchange {
namespace {

const char* const kStamp = "yyyy-MM-dd HH:mm:ss";

QString stamp(const QDateTime& t)
{
    return t.toString(kStamp);
}

// The facts of one built file that the transmission report can be held to.
struct FileFacts
{
    QString code;
    qint64 size = 0;
    QString sha256;
};

platform::Result<FileFacts> factsOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return platform::Fail(path + " : " + file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return platform::Fail(path + " : " + file.errorString());
    FileFacts f;
    f.code = shell::EnvelopeFileCode(bytes);
    f.size = bytes.size();
    f.sha256 =
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    return f;
}

QString idArray(const QList<qint64>& ids)
{
    QString json = "[";
    for (qsizetype i = 0; i < ids.size(); ++i) {
        if (i)
            json += ',';
        json += QString::number(ids[i]);
    }
    return json + ']';
}

platform::Result<> failed(const QSqlQuery& q)
{
    return platform::Fail(store::ReadFailureMessage(q.lastError()));
}

} // namespace

platform::Result<qint64> OpenHandOver(QSqlDatabase db, const SendFiles& files,
                                      const QDateTime& prepared)
{
    store::TransactionGuard tx(db);
    if (!tx.active())
        return platform::Fail(store::ReadFailureMessage(db.lastError()));
    QSqlQuery q(db);
    q.prepare("INSERT INTO SendJournal (Prepared) VALUES (?)");
    q.addBindValue(stamp(prepared));
    if (!q.exec())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    const qint64 journal = q.lastInsertId().toLongLong();

    QSqlQuery file(db);
    file.prepare("INSERT INTO SendJournalFile (JournalID, FileName, FileCode, Kind, Giganid, "
                 "IcheDate, Size, Sha256) VALUES (?, ?, ?, ?, "
                 "Coalesce(?, (SELECT GiganID10 FROM Apt1 WHERE AptID = ?)), "
                 "(SELECT IcheDate FROM Apt1 WHERE AptID = ?), ?, ?)");
    QSqlQuery batch(db);
    batch.prepare("INSERT INTO SendJournalBatch (JournalID, FileName, AptID) VALUES (?, ?, ?)");
    QSqlQuery lines(db);
    lines.prepare("INSERT INTO SendJournalLine (JournalID, AptID, Apt2ID) "
                  "SELECT ?, ?, j.value FROM json_each(?) AS j");
    QSqlQuery consent(db);
    consent.prepare("INSERT INTO SendJournalConsent (JournalID, FileName, Giganid, Bankcd, "
                    "Bankno, NapbuNO) VALUES (?, ?, ?, ?, ?, ?)");
    for (const RequestFile& f : files.requestFiles) {
        const platform::Result<FileFacts> facts = factsOf(f.path);
        if (!facts)
            return platform::Fail(facts.error());
        const QString name = QFileInfo(f.path).fileName();
        const int firstBatch = f.batchIds.value(0, -1);
        for (const QVariant& v :
             {QVariant(journal), QVariant(name), QVariant(facts->code), QVariant(f.kind),
              f.consents.isEmpty() ? QVariant() : QVariant(f.consents.first().Giganid),
              QVariant(firstBatch), QVariant(firstBatch), QVariant(facts->size),
              QVariant(facts->sha256)})
            file.addBindValue(v);
        if (!file.exec())
            return platform::Fail(store::ReadFailureMessage(file.lastError()));
        for (qsizetype i = 0; i < f.batchIds.size(); ++i) {
            batch.addBindValue(journal);
            batch.addBindValue(name);
            batch.addBindValue(f.batchIds[i]);
            if (!batch.exec())
                return platform::Fail(store::ReadFailureMessage(batch.lastError()));
            lines.addBindValue(journal);
            lines.addBindValue(f.batchIds[i]);
            lines.addBindValue(idArray(f.lineIds.value(i)));
            if (!lines.exec())
                return platform::Fail(store::ReadFailureMessage(lines.lastError()));
        }
        for (const consent::ConsentKey& k : f.consents) {
            for (const QVariant& v : {QVariant(journal), QVariant(name), QVariant(k.Giganid),
                                      QVariant(k.Bankcd), QVariant(k.Bankno), QVariant(k.NapbuNO)})
                consent.addBindValue(v);
            if (!consent.exec())
                return platform::Fail(store::ReadFailureMessage(consent.lastError()));
        }
    }
    if (!tx.commit())
        return platform::Fail(store::ReadFailureMessage(db.lastError()));
    return journal;
}

namespace {

// The send's row of the change record: its files, batches, lines and their
// amount, and consents.
bool recordSendRun(QSqlDatabase db, const SendFiles& files)
{
    QSqlQuery q(db);
    q.prepare("SELECT Coalesce(Sum(IcheMoney), 0) FROM Apt2 "
              "WHERE Apt2ID IN (SELECT value FROM json_each(?))");
    q.addBindValue(idArray(files.lineIds));
    if (!q.exec() || !q.next())
        return false;
    const qint64 amount = q.value(0).toLongLong();
    q.finish();
    QStringList names;
    for (const QString& f : files.files)
        names.append(QFileInfo(f).fileName());
    const audit::Change change{
        audit::action::Send, QStringLiteral("송신"), names.join(", "), QString(), QString(),
        QVariant(),
        QString("파일 %1개, 배치 %2개, 줄 %3건, 금액 %4원, 동의 %5건")
            .arg(files.files.size())
            .arg(files.batchIds.size())
            .arg(files.lineIds.size())
            .arg(amount)
            .arg(files.consents.size())};
    return audit::Record(db, change).ok();
}

} // namespace

QString RecordSend(QSqlDatabase db, const SendFiles& files, qint64 journal)
{
    // All of it or none: a send recorded by halves would leave batches
    // that went out looking unsent, or consents advanced for nothing.
    using store::BatchState;
    using store::ConsentStatus;
    store::BulkWrite bulk(db);
    // The send is one row with its counts, not one per line and consent.
    std::optional<audit::Quiet> quiet(std::in_place);
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
    // The evidence that went with a registration served its one use.
    if (!files.consents.isEmpty() && !consent::MarkEvidenceUsed(db, files.consents))
        return QStringLiteral("Evidential");
    if (journal > 0) {
        const QString closedAt = stamp(shell::Now());
        if (!bulk.run("UPDATE SendJournalFile SET Sent = 1 WHERE JournalID = ? AND FileName = ?",
                      int(files.files.size()),
                      [&](QSqlQuery& q, int row) {
                          q.addBindValue(journal);
                          q.addBindValue(QFileInfo(files.files[row]).fileName());
                      }) ||
            !bulk.run("UPDATE SendJournalFile SET Sent = 0 WHERE JournalID = ? AND Sent IS NULL", 1,
                      [&](QSqlQuery& q, int) { q.addBindValue(journal); }) ||
            !bulk.run("UPDATE SendJournal SET Closed = ?, Outcome = CASE "
                      "(SELECT Coalesce(Sum(f.Sent), 0) FROM SendJournalFile f "
                      "WHERE f.JournalID = SendJournal.JournalID) "
                      "WHEN 0 THEN '송신되지 않음' "
                      "WHEN (SELECT Count(*) FROM SendJournalFile f "
                      "WHERE f.JournalID = SendJournal.JournalID) THEN '송신' "
                      "ELSE '일부 송신' END WHERE JournalID = ?",
                      1,
                      [&](QSqlQuery& q, int) {
                          q.addBindValue(closedAt);
                          q.addBindValue(journal);
                      }) ||
            // A closed entry's lines are its batches' now; a month's worth
            // would only swell the file.
            !bulk.run("DELETE FROM SendJournalLine WHERE JournalID = ?", 1,
                      [&](QSqlQuery& q, int) { q.addBindValue(journal); }))
            return QStringLiteral("SendJournal");
    }
    quiet.reset();
    if (!recordSendRun(db, files))
        return QStringLiteral("Audit.db");
    if (!bulk.commit())
        return QStringLiteral("TongRegister");
    return {};
}

platform::Result<bool> HasOpenHandOver(QSqlDatabase db)
{
    QSqlQuery q(db);
    if (!q.exec("SELECT 1 FROM SendJournal WHERE Closed IS NULL LIMIT 1"))
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    return q.next();
}

namespace {

struct JournalFile
{
    QString name;
    QString code;
    qint64 size = 0;
    QString institution;
    QString date;
};

struct OpenEntry
{
    qint64 id = 0;
    QDateTime prepared;
    QList<JournalFile> files;
};

platform::Result<QList<OpenEntry>> openEntries(QSqlDatabase db)
{
    QList<OpenEntry> entries;
    QSqlQuery q(db);
    if (!q.exec("SELECT JournalID, Prepared FROM SendJournal WHERE Closed IS NULL "
                "ORDER BY JournalID"))
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    while (q.next())
        entries.append(
            {q.value(0).toLongLong(), QDateTime::fromString(q.value(1).toString(), kStamp), {}});
    if (entries.isEmpty())
        return entries;
    QSqlQuery f(db);
    f.prepare("SELECT FileName, FileCode, Size, Giganid, IcheDate FROM SendJournalFile "
              "WHERE JournalID = ? ORDER BY rowid");
    for (OpenEntry& e : entries) {
        f.addBindValue(e.id);
        if (!f.exec())
            return platform::Fail(store::ReadFailureMessage(f.lastError()));
        while (f.next())
            e.files.append({f.value(0).toString(), f.value(1).toString().trimmed().toUpper(),
                            f.value(2).toLongLong(), f.value(3).toString(), f.value(4).toString()});
    }
    return entries;
}

// The batches of an entry as the user knows them: institution, transfer
// date and batch number.
platform::Result<QStringList> entryBatches(QSqlDatabase db, qint64 journal)
{
    QSqlQuery q(db);
    q.prepare("SELECT a.GiganID10, a.IcheDate, b.AptID FROM SendJournalBatch b "
              "LEFT JOIN Apt1 a ON a.AptID = b.AptID WHERE b.JournalID = ? ORDER BY b.rowid");
    q.addBindValue(journal);
    if (!q.exec())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    QStringList out;
    while (q.next())
        out.append(QStringLiteral("기관 %1, 이체일 %2, 묶음번호 %3")
                       .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString()));
    return out;
}

// What the journal says a file carried, of what is still waiting to go.
platform::Result<> addCarried(QSqlDatabase db, qint64 journal, const QString& name, SendFiles& out)
{
    QSqlQuery b(db);
    b.prepare("SELECT b.AptID FROM SendJournalBatch b JOIN Apt1 a ON a.AptID = b.AptID "
              "WHERE b.JournalID = ? AND b.FileName = ? AND a.State = ? ORDER BY b.rowid");
    b.addBindValue(journal);
    b.addBindValue(name);
    b.addBindValue(store::StoredValue(store::BatchState::Waiting));
    if (!b.exec())
        return failed(b);
    QSqlQuery l(db);
    l.prepare("SELECT Apt2ID FROM SendJournalLine WHERE JournalID = ? AND AptID = ? "
              "ORDER BY rowid");
    while (b.next()) {
        const int aptId = b.value(0).toInt();
        out.batchIds.append(aptId);
        l.addBindValue(journal);
        l.addBindValue(aptId);
        if (!l.exec())
            return failed(l);
        while (l.next())
            out.lineIds.append(l.value(0).toLongLong());
    }
    QSqlQuery c(db);
    c.prepare("SELECT Giganid, Bankcd, Bankno, NapbuNO FROM SendJournalConsent "
              "WHERE JournalID = ? AND FileName = ? ORDER BY rowid");
    c.addBindValue(journal);
    c.addBindValue(name);
    if (!c.exec())
        return failed(c);
    while (c.next())
        out.consents.append({c.value(0).toString(), c.value(1).toString(), c.value(2).toString(),
                             c.value(3).toString()});
    out.files.append(name);
    return {};
}

// Files of earlier, closed sends with this code and size that went at or
// after `since`: report lines they account for are not this entry's.
platform::Result<int> claimedBefore(QSqlDatabase db, qint64 journal, const JournalFile& f,
                                    const QDateTime& since)
{
    QSqlQuery q(db);
    q.prepare("SELECT Count(*) FROM SendJournalFile f JOIN SendJournal j USING (JournalID) "
              "WHERE j.JournalID <> ? AND j.Closed IS NOT NULL AND f.Sent = 1 "
              "AND upper(trim(f.FileCode)) = ? AND f.Size = ? AND j.Prepared >= ?");
    q.addBindValue(journal);
    q.addBindValue(f.code);
    q.addBindValue(f.size);
    q.addBindValue(stamp(since));
    if (!q.exec() || !q.next())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    return q.value(0).toInt();
}

QString fileLine(const JournalFile& f, bool sent)
{
    QString what = f.name + " (" + f.code;
    if (!f.institution.isEmpty())
        what += ", 기관 " + f.institution;
    if (!f.date.isEmpty())
        what += ", 이체일 " + f.date;
    what += ", " + QString::number(f.size) + "바이트) : ";
    return what + (sent ? QStringLiteral("전송됨, 송신완료로 기록하였습니다.")
                        : QStringLiteral("전송되지 않음, 다음 송신에 보냅니다."));
}

QString heldMessage(const QStringList& batches, const QString& why)
{
    return QStringLiteral("지난 송신이 중단되어 자료가 전송되었는지 확인해야 하나, 송신 결과를 "
                          "받을 수 없습니다. (%1)\r\r다음 자료는 이중 출금을 막기 위해 "
                          "송신하지 않습니다.\r%2\r\rEDI 연결을 확인한 후 다시 송신하십시오. "
                          "송신 결과를 받으면 전송된 자료는 송신완료로 기록되고, 전송되지 "
                          "않은 자료는 그 송신에 함께 보내집니다.")
        .arg(why, batches.join('\r'));
}

} // namespace

HandOverCheck SettleOpenHandOvers(store::TDM1& dm, edi::Link& link, const shell::Workspace& ws)
{
    HandOverCheck check;
    const auto unreadable = [&check](const QString& error) {
        check.clear = false;
        check.unread = true;
        check.message = QStringLiteral("송신 기록을 읽을 수 없습니다.\r") + error;
        return check;
    };
    QSqlDatabase db = dm.db();
    const platform::Result<QList<OpenEntry>> entries = openEntries(db);
    if (!entries)
        return unreadable(entries.error());
    if (entries->isEmpty())
        return check;

    // The link's report of what reached the centre; a call that finds no
    // transmission at all writes none, and means none went.
    QList<TResultRecord> records;
    const edi::LinkOutcome call = edi::LinkResultReceive(link);
    QString unavailable;
    if (call.ok) {
        if (!ReadResultReport(ReportPath(ws), records))
            unavailable = QStringLiteral("송신 결과 파일을 읽을 수 없습니다.");
    } else if (call.code != 0) {
        unavailable = call.message;
    }
    if (!unavailable.isEmpty()) {
        QStringList batches;
        for (const OpenEntry& e : *entries) {
            const platform::Result<QStringList> b = entryBatches(db, e.id);
            if (!b)
                return unreadable(b.error());
            batches += *b;
        }
        check.clear = false;
        check.held = batches;
        check.message = heldMessage(batches, unavailable);
        shell::WriteLog(QStringLiteral("중단된 송신 확인 불가: ") + unavailable + ", " +
                            batches.join(", "),
                        true);
        return check;
    }

    for (const OpenEntry& e : *entries) {
        // The report counts minutes: a file sent in the entry's own minute counts.
        QDateTime since = e.prepared;
        since.setTime(QTime(since.time().hour(), since.time().minute()));
        QHash<QString, int> left; // code and size -> report lines not yet matched
        SendFiles sent;
        for (const JournalFile& f : e.files) {
            const QString key = f.code + '\t' + QString::number(f.size);
            if (!left.contains(key)) {
                int shown = 0;
                for (const TResultRecord& r : records)
                    if (r.infoName.trimmed().toUpper() == f.code && r.size == f.size &&
                        r.sendTime >= since)
                        ++shown;
                const platform::Result<int> claimed = claimedBefore(db, e.id, f, since);
                if (!claimed)
                    return unreadable(claimed.error());
                left[key] = shown - *claimed;
            }
            const bool went = left[key] > 0;
            if (went) {
                --left[key];
                if (const platform::Result<> carried = addCarried(db, e.id, f.name, sent); !carried)
                    return unreadable(carried.error());
            }
            check.settled.append(fileLine(f, went));
        }
        const QString table = RecordSend(db, sent, e.id);
        if (!table.isEmpty()) {
            check.clear = false;
            check.message = EdiFlow::RecordFailure(table);
            return check;
        }
    }
    check.message = QStringLiteral("지난 송신이 끝까지 기록되지 않아, 송신 결과로 전송 여부를 "
                                   "확인하였습니다.\r\r") +
                    check.settled.join('\r');
    for (const QString& line : check.settled)
        shell::WriteLog(QStringLiteral("중단된 송신 확인, ") + line);
    return check;
}

bool SettleAndTell(store::TDM1& dm, edi::Link& link, const shell::Workspace& ws)
{
    const HandOverCheck check = SettleOpenHandOvers(dm, link, ws);
    if (check.message.isEmpty())
        return true;
    if (check.clear)
        dm.ui().ShowInfo(check.message);
    else
        dm.ui().ShowError(check.message);
    return !check.unread;
}

} // namespace exchange
