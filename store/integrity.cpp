#include "store/integrity.h"

#include "shell/codec.h"
#include "shell/text_helpers.h"
#include "store/schema.h"

#include <QHash>
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

namespace {

// The columns that name a row: the first unique index, else the counter,
// else the first index's columns with the row number.
QStringList keyOf(const TableDef& t)
{
    for (const IndexDef& ix : t.indexes)
        if (ix.unique)
            return ix.fields;
    for (const FieldDef& f : t.fields)
        if (f.type == FieldType::AutoInc)
            return {f.name};
    QStringList key = t.indexes.isEmpty() ? QStringList() : t.indexes.first().fields;
    return key << "rowid";
}

} // namespace

QStringList CheckByteLimits(QSqlDatabase& db)
{
    QStringList problems;
    for (const TableDef& t : Tables()) {
        if (!TableExists(db, t.name))
            continue;
        const QStringList key = keyOf(t);
        for (const FieldDef& f : t.fields) {
            if (f.type != FieldType::String || !ColumnExists(db, t.name, f.name))
                continue;
            // The UTF-8 length is never below the CP949 length: only longer
            // values need converting.
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (!q.exec(QString("SELECT %1, %2 FROM %3 WHERE length(CAST(%2 AS BLOB)) > %4 "
                                "ORDER BY rowid")
                            .arg(key.join(", "), f.name, t.name)
                            .arg(f.size))) {
                problems.append(t.name + "." + f.name + ": " + q.lastError().text());
                continue;
            }
            while (q.next()) {
                const int bytes = shell::Cp949Length(q.value(key.size()).toString());
                if (bytes <= f.size)
                    continue;
                QStringList where;
                for (int i = 0; i < key.size(); ++i)
                    where.append(key[i] + "=" + q.value(i).toString());
                problems.append(QString("value %1 %2 %3: %4 bytes (max %5)")
                                    .arg(t.name, where.join(','), f.name)
                                    .arg(bytes)
                                    .arg(f.size));
            }
        }
    }
    return problems;
}

namespace {

// Every row of `t` whose `column` matches `condition` (with one value), as
// "value Table key=…,… column: what [value]".
void namedRows(QSqlDatabase& db, const TableDef& t, const QString& column,
               const QString& condition, const QString& pattern, const QString& what,
               QStringList& problems)
{
    const QStringList key = keyOf(t);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QString("SELECT %1, %2 FROM %3 WHERE %4 ORDER BY rowid")
                  .arg(key.join(", "), column, t.name, condition));
    q.addBindValue(pattern);
    if (!q.exec()) {
        problems.append(t.name + "." + column + ": " + q.lastError().text());
        return;
    }
    while (q.next()) {
        QStringList where;
        for (int i = 0; i < key.size(); ++i)
            where.append(key[i] + "=" + shell::ShowControls(q.value(i).toString()));
        problems.append(QString("value %1 %2 %3: %4 [%5]")
                            .arg(t.name, where.join(','), column, what,
                                 shell::ShowControls(q.value(key.size()).toString())));
    }
}

} // namespace

QStringList CheckStoredText(QSqlDatabase& db)
{
    // The tables the request files are made from, and their account columns.
    const QHash<QString, QStringList> checked = {
        {"Apt1", {"MoBankNo"}},   {"Apt2", {"BankNo"}},         {"GroupAp1", {"MoBankNo"}},
        {"GroupAp2", {"BankNo"}}, {"TongRegister", {"Bankno"}}, {"UserCode", {}},
    };
    QString controls = "*[";
    controls += QChar(0x01);
    controls += '-';
    controls += QChar(0x1f);
    controls += QChar(0x7f);
    controls += "]*";
    QStringList problems;
    for (const TableDef& t : Tables()) {
        if (!checked.contains(t.name) || !TableExists(db, t.name))
            continue;
        const QStringList accounts = checked.value(t.name);
        for (const FieldDef& f : t.fields) {
            if (f.type != FieldType::String || !ColumnExists(db, t.name, f.name))
                continue;
            namedRows(db, t, f.name, f.name + " GLOB ?", controls, "control character",
                      problems);
            if (accounts.contains(f.name))
                namedRows(db, t, f.name, "trim(" + f.name + ") GLOB ?", "*[^0-9-]*",
                          "account with other than digits and hyphens", problems);
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
