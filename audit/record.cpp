#include "audit/record.h"

#include "audit/audit_file.h"
#include "audit/tables.h"
#include "shell/workspace.h"
#include "store/database.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"

#include <QFileInfo>

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace audit {
namespace detail {
extern std::atomic<int> g_quiet;
extern std::atomic<bool> g_off;
extern std::atomic<int> g_tallying;
QHash<QString, QString>& Tallies(); // "table:rowid" → its last value
// The connection the record was last attached to; null before Start.
QString RecordConnection();
} // namespace detail

bool IsDownload(const QString& a)
{
    return a == action::Export || a == action::Print || a == action::TextOutput;
}

platform::Result<> Record(QSqlDatabase db, const Change& c)
{
    // A process that records nothing (the core's tests, clearing-sim).
    if (detail::g_off || detail::RecordConnection().isNull())
        return {};
    QSqlQuery q(db);
    static const QString sql =
        detail::AppendSql(":a", ":tb", ":k", ":i", ":f", ":o", ":n");
    if (!q.prepare(sql))
        return platform::Fail(FailureMessage(q.lastError().text()));
    q.bindValue(":a", c.action);
    q.bindValue(":tb", c.table);
    q.bindValue(":k", c.key);
    q.bindValue(":i", c.institution);
    q.bindValue(":f", c.field);
    // Stored as text, as the triggers store theirs, so that the hash reads
    // back the same.
    q.bindValue(":o", c.oldValue.isNull() ? QVariant() : QVariant(c.oldValue.toString()));
    q.bindValue(":n", c.newValue.isNull() ? QVariant() : QVariant(c.newValue.toString()));
    if (!q.exec())
        return platform::Fail(FailureMessage(q.lastError().text()));
    if (q.numRowsAffected() != 1)
        return platform::Fail(FailureMessage(QStringLiteral("변경 이력 파일이 연결되어 있지 않습니다.")));
    return {};
}

platform::Result<> RecordDownload(const QString& action, const QString& what, const QString& file,
                                  qint64 records)
{
    if (detail::g_off)
        return {};
    const QString connection = detail::RecordConnection();
    if (connection.isNull())
        return {};
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (!db.isOpen() || !IsAttached(db))
        return platform::Fail(
            FailureMessage(QStringLiteral("변경 이력 파일이 연결되어 있지 않습니다.")));
    return Record(db, {action, what, file, QString(), QString(), QVariant(),
                       QString("%1건").arg(records)});
}

platform::Result<> RecordInWorkspace(const shell::Workspace& ws, const QList<Change>& changes)
{
    if (detail::g_off || changes.isEmpty() || detail::RecordConnection().isNull())
        return {};
    const auto recordAll = [&changes](QSqlDatabase db) -> platform::Result<> {
        store::TransactionGuard tx(db);
        if (!tx.active())
            return platform::Fail(FailureMessage(tx.error().text()));
        for (const Change& c : changes)
            if (platform::Result<> r = Record(db, c); !r)
                return r;
        if (!tx.commit())
            return platform::Fail(FailureMessage(tx.error().text()));
        return {};
    };
    QSqlDatabase open = QSqlDatabase::database(detail::RecordConnection(), false);
    if (open.isOpen() && IsAttached(open))
        return recordAll(open);
    const QString dataFile = store::TDM1::DatabaseFile(ws.dataDir);
    if (!QFileInfo::exists(dataFile))
        return {};
    static int n = 0;
    const QString name = QString("AuditOutside%1").arg(n++);
    return store::WithDatabase(name, dataFile, [&](QSqlDatabase& db) -> platform::Result<> {
        if (platform::Result<> attached = Attach(db, ws.dataDir); !attached)
            return attached;
        return recordAll(db);
    });
}

QString InstitutionOf(QSqlDatabase db, const QString& headTable, int aptId)
{
    QSqlQuery q(db);
    // The table is one of the two head tables, never user input.
    q.prepare("SELECT coalesce(GiganID10, GiganID) FROM " + headTable + " WHERE AptID = ?");
    q.addBindValue(aptId);
    return q.exec() && q.next() ? q.value(0).toString() : QString();
}

Quiet::Quiet(Tally tally) : m_tally(tally == Tally::Outcomes)
{
    ++detail::g_quiet;
    if (m_tally) {
        ++detail::g_tallying;
        detail::Tallies().clear();
    }
}

Quiet::~Quiet()
{
    --detail::g_quiet;
    if (m_tally)
        --detail::g_tallying;
}

QMap<QString, int> Quiet::tallied() const
{
    QMap<QString, int> out;
    for (auto it = detail::Tallies().cbegin(); it != detail::Tallies().cend(); ++it)
        ++out[it.key().section(':', 0, 0) + ':' + it.value()];
    return out;
}

} // namespace audit
