#include "audit/read.h"

#include "audit/audit_file.h"
#include "audit/chain.h"
#include "audit/record.h"
#include "store/database.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace audit {
namespace {

// The columns an entry and a hashed row share, selected first and in this
// order by both readers.
template <typename Row>
void readShared(const QSqlQuery& q, Row& r)
{
    r.seq = q.value(0).toLongLong();
    r.time = q.value(1).toString();
    r.user = q.value(2).toString();
    r.program = q.value(3).toString();
    r.action = q.value(4).toString();
    r.table = q.value(5).toString();
    r.key = q.value(6).toString();
    r.institution = q.value(7).toString();
    r.field = q.value(8).toString();
}

QString dayStart(const QDate& d)
{
    return d.toString("yyyy-MM-dd") + " 00:00:00";
}

bool contains(const QString& in, const QString& part)
{
    return in.contains(part);
}

// Whether an entry passes the filters that a gathered row's items must
// pass one by one.
bool passes(const Entry& e, const Filter& f)
{
    if (!f.institution.isEmpty() && e.institution != f.institution)
        return false;
    if (!f.key.isEmpty() && !contains(e.key, f.key))
        return false;
    if (!f.text.isEmpty() &&
        !(contains(e.key, f.text) || contains(e.table, f.text) || contains(e.action, f.text) ||
          contains(e.field, f.text) || contains(e.oldValue, f.text) ||
          contains(e.newValue, f.text)))
        return false;
    return true;
}

platform::Result<std::vector<Entry>> readEntries(QSqlDatabase db, const QString& schema,
                                                 const Filter& f)
{
    QStringList where;
    QVariantList values;
    if (f.from.isValid()) {
        where << "Time >= ?";
        values << dayStart(f.from);
    }
    if (f.to.isValid()) {
        where << "Time < ?";
        values << dayStart(f.to.addDays(1));
    }
    if (!f.table.isEmpty()) {
        where << "TableName = ? COLLATE NOCASE";
        values << f.table;
    }
    if (!f.user.isEmpty()) {
        where << "OsUser = ?";
        values << f.user;
    }
    // A gathered row holds its rows' keys, institutions and values in Items:
    // it is read when they may match, and its items are filtered one by one.
    if (!f.institution.isEmpty()) {
        where << "(Institution = ? OR instr(coalesce(Items, ''), ?) > 0)";
        values << f.institution << f.institution;
    }
    if (!f.key.isEmpty()) {
        where << "(instr(RowKey, ?) > 0 OR instr(coalesce(Items, ''), ?) > 0)";
        values << f.key << f.key;
    }
    if (!f.text.isEmpty()) {
        QStringList any;
        for (const char* c :
             {"RowKey", "TableName", "Action", "Field", "OldValue", "NewValue", "Items"}) {
            any << QString("instr(coalesce(%1, ''), ?) > 0").arg(c);
            values << f.text;
        }
        where << "(" + any.join(" OR ") + ")";
    }
    QString sql = QString("SELECT Seq, Time, OsUser, Program, Action, TableName, RowKey, "
                          "Institution, Field, OldValue, NewValue, Items FROM %1.AuditLog")
                      .arg(schema);
    if (!where.isEmpty())
        sql += " WHERE " + where.join(" AND ");
    sql += " ORDER BY Seq";
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    std::vector<Entry> out;
    while (q.next()) {
        Entry e;
        readShared(q, e);
        e.oldValue = q.value(9).toString();
        e.newValue = q.value(10).toString();
        if (q.value(11).isNull()) {
            if (passes(e, f))
                out.push_back(std::move(e));
            continue;
        }
        const QJsonArray items =
            QJsonDocument::fromJson(q.value(11).toString().toUtf8()).array();
        for (const QJsonValue& v : items) {
            const QJsonArray item = v.toArray();
            Entry one = e;
            one.key = item.at(0).toString();
            // Left out when it is the row's own.
            if (!item.at(1).isNull())
                one.institution = item.at(1).toString();
            one.oldValue = item.at(2).toString();
            one.newValue = item.at(3).toString();
            if (passes(one, f))
                out.push_back(std::move(one));
        }
    }
    if (q.lastError().isValid())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    return out;
}

std::atomic<int> g_readers{0};

// The record file alone, read-only: the tool reads it beside a running
// program without taking the workspace.
template <typename Work>
auto withFile(const QString& auditFile, Work work) -> decltype(work(std::declval<QSqlDatabase&>()))
{
    if (!QFileInfo::exists(auditFile))
        return platform::Fail("변경 이력 파일이 없습니다: " + auditFile);
    const QString name = QString("AuditRead%1").arg(g_readers++);
    decltype(work(std::declval<QSqlDatabase&>())) result = platform::Fail(QString());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(auditFile);
        db.setConnectOptions("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=3000");
        if (!db.open())
            result = platform::Fail("변경 이력 파일을 열 수 없습니다: " + auditFile + "\r" +
                                    db.lastError().text());
        else
            result = work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

} // namespace

platform::Result<std::vector<Entry>> ReadEntries(QSqlDatabase db, const Filter& filter)
{
    if (!IsAttached(db))
        return platform::Fail(QStringLiteral("변경 이력 파일이 연결되어 있지 않습니다."));
    return readEntries(db, "audit", filter);
}

platform::Result<std::vector<Entry>> ReadEntries(const QString& auditFile, const Filter& filter)
{
    return withFile(auditFile, [&](QSqlDatabase& db) { return readEntries(db, "main", filter); });
}

platform::Result<PeriodCounts> CountPeriod(QSqlDatabase db, const QDate& from, const QDate& to)
{
    if (!IsAttached(db))
        return platform::Fail(QStringLiteral("변경 이력 파일이 연결되어 있지 않습니다."));
    QSqlQuery q(db);
    // A gathered row counts each of its changes.
    q.prepare("SELECT coalesce(sum(Action IN (?, ?, ?)), 0), "
              "coalesce(sum(CASE WHEN Action NOT IN (?, ?, ?, ?, ?) THEN "
              "coalesce(json_array_length(Items), 1) ELSE 0 END), 0) "
              "FROM audit.AuditLog WHERE Time >= ? AND Time < ?");
    for (const QString& a : {action::Export, action::Print, action::TextOutput})
        q.addBindValue(a);
    for (const QString& a : {action::Export, action::Print, action::TextOutput,
                             action::ChainStart, action::ChainBreak})
        q.addBindValue(a);
    q.addBindValue(dayStart(from));
    q.addBindValue(dayStart(to.addDays(1)));
    if (!q.exec() || !q.next())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    PeriodCounts c;
    c.downloads = q.value(0).toInt();
    c.changes = q.value(1).toInt();
    return c;
}

platform::Result<Verdict> Verify(const QString& auditFile)
{
    return withFile(auditFile, [&](QSqlDatabase& db) -> platform::Result<Verdict> {
        Verdict v;
        QSqlQuery head(db);
        if (!head.exec("SELECT Seq, Hash FROM AuditHead WHERE Id = 1") || !head.next())
            return platform::Fail(store::ReadFailureMessage(head.lastError()));
        const qint64 headSeq = head.value(0).toLongLong();
        const QString headHash = head.value(1).toString();
        head.finish();

        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec("SELECT Seq, Time, OsUser, Program, Action, TableName, RowKey, Institution, "
                    "Field, OldValue, NewValue, Prev, Hash, Items FROM AuditLog ORDER BY Seq"))
            return platform::Fail(store::ReadFailureMessage(q.lastError()));
        qint64 lastSeq = 0;
        QString lastHash;
        const auto broken = [&](const QString& message) {
            v.whole = false;
            v.message = message;
            return v;
        };
        while (q.next()) {
            RowContent r;
            readShared(q, r);
            r.oldValue = q.value(9).isNull() ? QVariant() : QVariant(q.value(9).toString());
            r.newValue = q.value(10).isNull() ? QVariant() : QVariant(q.value(10).toString());
            r.prev = q.value(11).toString();
            r.items = q.value(13).isNull() ? QVariant() : QVariant(q.value(13).toString());
            const QString stored = q.value(12).toString();
            const bool sealed = RowHash(r) == stored;
            const bool linked = r.prev == lastHash;
            const QString at = QString("%1번 기록(%2 %3 %4)").arg(r.seq).arg(r.time, r.action, r.table);
            if (r.seq > lastSeq + 1)
                return broken(QString("%1번 기록이 지워졌습니다. (%2 바로 앞)")
                                  .arg(lastSeq + 1)
                                  .arg(at));
            if (!sealed && !linked)
                return broken(at + "이 프로그램 밖에서 끼워 넣어졌습니다.");
            if (!sealed)
                return broken(at + "이 프로그램 밖에서 바뀌었습니다.");
            if (!linked)
                return broken(QString("%1 앞의 기록이 지워졌거나 바뀌었습니다.").arg(at));
            if (r.seq == 1 && r.action == action::ChainBreak)
                v.breaks.append(QString("%1번 기록(%2) %3").arg(r.seq).arg(r.time, r.oldValue.toString()));
            lastSeq = r.seq;
            lastHash = stored;
            ++v.rows;
        }
        if (q.lastError().isValid())
            return platform::Fail(store::ReadFailureMessage(q.lastError()));
        if (headSeq > lastSeq)
            return broken(QString("%1번 기록부터 마지막 기록까지 지워졌습니다.").arg(lastSeq + 1));
        if (headSeq < lastSeq || headHash != lastHash)
            return broken(QString("%1번 기록이 프로그램 밖에서 덧붙여졌거나 바뀌었습니다.")
                              .arg(headSeq + 1 <= lastSeq ? headSeq + 1 : lastSeq));
        v.whole = true;
        v.message = QString("변경 이력이 온전합니다. (%1건)").arg(v.rows);
        if (!v.breaks.isEmpty())
            v.message += "\n기록 단절: " + v.breaks.join("\n기록 단절: ");
        return v;
    });
}

} // namespace audit
