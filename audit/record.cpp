#include "audit/record.h"

#include "audit/audit_file.h"
#include "audit/tables.h"
#include "audit/gather.h"
#include "shell/workspace.h"
#include "store/database.h"
#include "store/tdm1.h"
#include "store/statement.h"
#include "store/transaction_guard.h"

#include <QFileInfo>

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <sqlite3.h>
#include <cstdio>

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

namespace {

platform::Result<> append(QSqlDatabase db, const Change& c, const QByteArray& items = {},
                          bool hasItems = false)
{
    // The engine's own statement: a gathered row's items may run to
    // megabytes, bound as they are.
    static const QString sql = detail::AppendSql("?1", "?2", "?3", "?4", "?5", "?6", "?7", "?8");
    store::Statement q(db, sql);
    if (!q.isValid())
        return platform::Fail(FailureMessage(q.lastError().text()));
    const auto text = [&q](int i, const QVariant& v) {
        // Stored as text, as the triggers store theirs, so that the hash
        // reads back the same.
        if (v.isNull())
            q.bindNull(i);
        else
            q.bind(i, v.toString());
    };
    q.bind(1, c.action);
    q.bind(2, c.table);
    q.bind(3, c.key);
    q.bind(4, c.institution);
    q.bind(5, c.field);
    text(6, c.oldValue);
    text(7, c.newValue);
    if (hasItems)
        q.bindUtf8(8, items);
    else
        q.bindNull(8);
    // The record file held by another program is said as such.
    if (!q.exec())
        return platform::Fail(FailureMessage(store::WriteErrorMessage(q.lastError())));
    if (sqlite3_changes(store::SqliteHandle(db)) != 1)
        return platform::Fail(FailureMessage(QStringLiteral("변경 이력 파일이 연결되어 있지 않습니다.")));
    return {};
}

void appendJsonString(QByteArray& out, const char* text, qsizetype size)
{
    if (size < 0) {
        out += "null";
        return;
    }
    out += '"';
    // Runs without a character to escape go in whole.
    qsizetype run = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c != '"' && c != '\\' && c >= 0x20)
            continue;
        out.append(text + run, i - run);
        char buf[8];
        if (c == '"' || c == '\\')
            out.append({'\\', char(c)});
        else
            out.append(buf, std::snprintf(buf, sizeof buf, "\\u%04x", c));
        run = i + 1;
    }
    out.append(text + run, size - run);
    out += '"';
}

void appendJsonString(QByteArray& out, const QByteArray& arena, detail::Span span)
{
    appendJsonString(out, arena.constData() + span.at, span.size);
}

QVariant textOf(const QByteArray& arena, detail::Span span)
{
    return span.size < 0 ? QVariant()
                         : QVariant(QString::fromUtf8(arena.constData() + span.at, span.size));
}

} // namespace

platform::Result<> Record(QSqlDatabase db, const Change& c)
{
    // A process that records nothing (the core's tests, clearing-sim).
    if (detail::g_off || detail::RecordConnection().isNull())
        return {};
    detail::Gather& g = detail::Gathering();
    if (g.active && db.connectionName() == detail::RecordConnection()) {
        detail::Group alone;
        alone.alone = true;
        alone.change = c;
        g.groups.push_back(std::move(alone));
        g.last = size_t(-1);
        return {};
    }
    return append(db, c);
}

platform::Result<> detail::WriteGathered(QSqlDatabase db)
{
    Gather& g = Gathering();
    std::vector<Group> groups;
    groups.swap(g.groups);
    g.clear();
    g.active = false; // what follows is written at once
    // Institutions of lines by their batch or group, looked up once each
    // (the lines of a bulk change mostly share theirs with the line before).
    QHash<QByteArray, QByteArray> heads;
    QByteArrayView lastOwn;
    QByteArray lastInstitution;
    // Empty after a read that failed; `unread` then says why.
    QString unread;
    const auto institution = [&](const Group& group, const Item& item) -> QByteArray {
        const QByteArrayView own(group.arena.constData() + item.institution.at,
                                 qMax<qsizetype>(0, item.institution.size));
        if (group.instHead.isEmpty())
            return own.toByteArray();
        if (!lastOwn.isNull() && own == lastOwn)
            return lastInstitution;
        const QByteArray at = group.instHead + ':' + own.toByteArray();
        auto it = heads.constFind(at);
        if (it == heads.cend()) {
            const platform::Result<QString> found =
                InstitutionOf(db, QString::fromLatin1(group.instHead), own.toByteArray().toInt());
            if (!found) {
                unread = found.error();
                return {};
            }
            it = heads.insert(at, found->toUtf8());
        }
        lastOwn = own;
        lastInstitution = *it;
        return *it;
    };
    for (const Group& group : groups) {
        if (group.alone) {
            if (platform::Result<> r = append(db, group.change); !r)
                return r;
            continue;
        }
        Change row;
        row.action = QString::fromUtf8(group.action);
        row.table = QString::fromUtf8(group.table);
        row.field = QString::fromUtf8(group.field);
        const Item& first = group.items.front();
        const QByteArray firstInstitution = institution(group, first);
        if (!unread.isEmpty())
            return platform::Fail(unread);
        row.institution = QString::fromUtf8(firstInstitution);
        if (group.items.size() == 1) {
            row.key = textOf(group.arena, first.key).toString();
            row.oldValue = textOf(group.arena, first.oldValue);
            row.newValue = textOf(group.arena, first.newValue);
            if (platform::Result<> r = append(db, row); !r)
                return r;
            continue;
        }
        QByteArray json = "[";
        json.reserve(group.arena.size() + qsizetype(group.items.size()) * 24);
        for (const Item& item : group.items) {
            const QByteArray inst = institution(group, item);
            if (!unread.isEmpty())
                return platform::Fail(unread);
            if (json.size() > 1)
                json += ',';
            json += '[';
            appendJsonString(json, group.arena, item.key);
            json += ',';
            // The row's institution (its first item's) is left out of the items.
            appendJsonString(json, inst.constData(), inst == firstInstitution ? -1 : inst.size());
            json += ',';
            appendJsonString(json, group.arena, item.oldValue);
            json += ',';
            appendJsonString(json, group.arena, item.newValue);
            json += ']';
        }
        json += ']';
        row.key = QString("%1 외 %2건")
                      .arg(textOf(group.arena, first.key).toString())
                      .arg(group.items.size() - 1);
        if (platform::Result<> r = append(db, row, json, true); !r)
            return r;
    }
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

platform::Result<QString> InstitutionOf(QSqlDatabase db, const QString& headTable, int aptId)
{
    QSqlQuery q(db);
    // The table is one of the two head tables, never user input.
    q.prepare("SELECT coalesce(GiganID10, GiganID) FROM " + headTable + " WHERE AptID = ?");
    q.addBindValue(aptId);
    if (!q.exec())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    return q.next() ? q.value(0).toString() : QString();
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
