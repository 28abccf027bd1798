#include "store/integrity.h"

#include "store/schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace store {

QStringList CheckIntegrity(QSqlDatabase& db, bool quick)
{
    QStringList problems;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(quick ? "PRAGMA quick_check" : "PRAGMA integrity_check")) {
        problems.append(q.lastError().text());
        return problems;
    }
    while (q.next())
        if (q.value(0).toString() != QLatin1String("ok"))
            problems.append(q.value(0).toString());
    return problems;
}

QStringList CheckLayout(QSqlDatabase& db)
{
    QStringList problems;
    QSqlQuery q(db);
    for (const TableDef& t : Tables()) {
        if (!TableExists(db, t.name)) {
            problems.append("table " + t.name + " missing");
            continue;
        }
        for (const FieldDef& f : t.fields)
            if (!ColumnExists(db, t.name, f.name))
                problems.append("column " + t.name + "." + f.name + " missing");
        for (const IndexDef& i : t.indexes) {
            if (i.name.isEmpty())
                continue;
            q.prepare(
                "SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ? COLLATE NOCASE");
            q.addBindValue(i.name);
            if (!q.exec() || !q.next())
                problems.append("index " + t.name + "." + i.name + " missing");
        }
    }
    return problems;
}

bool IsPelmarDatabase(QSqlDatabase& db)
{
    for (const TableDef& t : Tables())
        if (!t.createdByMigration && !TableExists(db, t.name))
            return false;
    return true;
}

} // namespace store
