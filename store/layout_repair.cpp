#include "store/layout_repair.h"

#include "store/database.h"
#include "store/schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace store {
namespace {

class Repair
{
public:
    explicit Repair(QSqlDatabase& db) : m_db(db) {}

    // Where it stopped, once run() gave false.
    const FailedStep& failure() const { return m_failure; }

    bool exec(const QString& step, const QString& sql)
    {
        QSqlQuery q(m_db);
        return q.exec(sql) || fail(step, q.lastError().text());
    }

    // Notes a read of the file's layout that failed: what it gave is no
    // answer, and the step that asked stops.
    void unread(const QSqlQuery& q)
    {
        if (q.lastError().isValid() && m_unread.isEmpty())
            m_unread = ReadFailureMessage(q.lastError());
    }

    bool fail(const QString& step, const QString& error)
    {
        m_failure = {step, error};
        return false;
    }

    // The table's columns in the file, each with its declared type.
    QList<QPair<QString, QString>> columns(const QString& table)
    {
        QList<QPair<QString, QString>> out;
        QSqlQuery q(m_db);
        q.prepare("SELECT name, type FROM pragma_table_info(?)");
        q.addBindValue(table);
        if (q.exec())
            while (q.next())
                out.append({q.value(0).toString(), q.value(1).toString()});
        unread(q);
        return out;
    }

    QString tableSql(const QString& table)
    {
        QSqlQuery q(m_db);
        q.prepare("SELECT sql FROM main.sqlite_master WHERE type = 'table' AND name = ?");
        q.addBindValue(table);
        const QString sql = q.exec() && q.next() ? q.value(0).toString() : QString();
        unread(q);
        return sql;
    }

    // "unique|column collation,…" of a named index; empty when it is missing.
    QString indexShape(const QString& table, const QString& index)
    {
        QSqlQuery q(m_db);
        q.prepare("SELECT \"unique\" FROM pragma_index_list(?) WHERE name = ? COLLATE NOCASE");
        q.addBindValue(table);
        q.addBindValue(index);
        if (!q.exec() || !q.next()) {
            unread(q);
            return {};
        }
        QStringList shape = {q.value(0).toString()};
        q.prepare("SELECT name, coll FROM pragma_index_xinfo(?) WHERE key = 1 ORDER BY seqno");
        q.addBindValue(index);
        if (q.exec())
            while (q.next())
                shape.append(q.value(0).toString().toLower() + ' ' +
                             q.value(1).toString().toUpper());
        unread(q);
        return shape.join('|');
    }

    static QString wantedShape(const IndexDef& ix)
    {
        QStringList shape = {ix.unique ? "1" : "0"};
        for (const QString& f : ix.fields)
            shape.append(f.toLower() + (ix.noCase ? " NOCASE" : " BINARY"));
        return shape.join('|');
    }

    // The table made anew from the layout (plus any column the layout does
    // not know), its rows copied in entry order, its counter kept.
    bool rebuild(const TableDef& t)
    {
        const QString step = "REBUILD " + t.name;
        const QString old = t.name + "_old_layout";
        const QList<QPair<QString, QString>> had = columns(t.name);
        if (!m_unread.isEmpty())
            return fail(step, m_unread);
        const auto has = [&had](const QString& column) {
            for (const auto& c : had)
                if (c.first.compare(column, Qt::CaseInsensitive) == 0)
                    return true;
            return false;
        };
        QStringList defs, copied;
        bool autoInc = false;
        for (const FieldDef& f : t.fields) {
            if (has(f.name))
                defs.append(ColumnSql(t.name, f));
            autoInc = autoInc || f.type == FieldType::AutoInc;
        }
        for (const auto& [name, type] : had) {
            copied.append('"' + name + '"');
            if (!t.field(name))
                defs.append('"' + name + "\" " + type);
        }

        // Its indexes go first, so that the new table can take their names.
        QStringList indexes;
        {
            QSqlQuery q(m_db);
            q.prepare("SELECT name FROM main.sqlite_master WHERE type = 'index' AND tbl_name = ? "
                      "AND sql IS NOT NULL");
            q.addBindValue(t.name);
            if (q.exec())
                while (q.next())
                    indexes.append(q.value(0).toString());
        }
        for (const QString& sql : DropByteLimitTriggerSql(t))
            if (!exec(step, sql))
                return false;
        for (const QString& ix : indexes)
            if (!exec(step, "DROP INDEX main.\"" + ix + '"'))
                return false;

        QSqlQuery seq(m_db);
        seq.prepare("SELECT seq FROM sqlite_sequence WHERE name = ?");
        seq.addBindValue(t.name);
        const QVariant counter = autoInc && seq.exec() && seq.next() ? seq.value(0) : QVariant();
        seq.finish();

        const QString list = copied.join(", ");
        const QString rowid = autoInc ? QString() : QStringLiteral("rowid, ");
        // Rows an older release or another tool accepted are taken as they
        // are; `pelmar-tool check` names the ones beyond today's limits.
        const bool ok =
            exec(step, "PRAGMA ignore_check_constraints=ON") &&
            exec(step, "ALTER TABLE " + t.name + " RENAME TO " + old) &&
            exec(step, "CREATE TABLE " + t.name + " (\n  " + defs.join(",\n  ") + "\n)") &&
            exec(step, QString("INSERT INTO %1 (%2%3) SELECT %2%3 FROM %4 ORDER BY rowid")
                           .arg(t.name, rowid, list, old)) &&
            exec(step, "DROP TABLE " + old);
        exec(step, "PRAGMA ignore_check_constraints=OFF");
        if (!ok)
            return false;
        if (counter.isValid()) {
            QSqlQuery keep(m_db);
            keep.prepare("INSERT INTO sqlite_sequence (name, seq) SELECT ?, 0 WHERE NOT EXISTS "
                         "(SELECT 1 FROM sqlite_sequence WHERE name = ?)");
            keep.addBindValue(t.name);
            keep.addBindValue(t.name);
            bool kept = keep.exec();
            keep.prepare("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = ?");
            keep.addBindValue(counter);
            keep.addBindValue(t.name);
            kept = kept && keep.exec();
            if (!kept)
                return fail(step, keep.lastError().text());
        }
        return createIndexes(t);
    }

    bool createIndexes(const TableDef& t)
    {
        for (const QString& sql : CreateIndexSql(t, Layout::Current))
            if (!exec("INDEX " + t.name, sql))
                return false;
        return true;
    }

    bool run()
    {
        for (const TableDef& t : Tables()) {
            const QString sql = tableSql(t.name);
            if (!m_unread.isEmpty())
                return fail(t.name, m_unread);
            if (sql.isEmpty())
                continue;
            if (sql.contains("cp949_len", Qt::CaseInsensitive)) {
                if (!rebuild(t))
                    return false;
                continue;
            }
            for (const IndexDef& ix : t.indexes) {
                const QString shape = indexShape(t.name, ix.name);
                if (!m_unread.isEmpty())
                    return fail("INDEX " + ix.name, m_unread);
                if (!shape.isEmpty() && shape != wantedShape(ix) &&
                    !exec("INDEX " + ix.name, "DROP INDEX main.\"" + ix.name + '"'))
                    return false;
            }
            if (!createIndexes(t))
                return false;
        }
        const platform::Result<> limits = InstallByteLimits(m_db);
        return limits || fail("TRIGGERS", limits.error());
    }

private:
    QSqlDatabase& m_db;
    FailedStep m_failure;
    QString m_unread;
};

} // namespace

std::optional<FailedStep> RepairTableLayouts(QSqlDatabase& db)
{
    Repair repair(db);
    if (repair.run())
        return std::nullopt;
    return repair.failure();
}

} // namespace store
