#pragma once

#include "platform/result.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Every table of the data store, described once. The table engine is
// SQLite: one file Data/Pelmar.db, each table an SQLite table of the same
// name and columns.
namespace store {

enum class FieldType {
    String,
    Integer,
    SmallInt,
    Float,
    Currency,
    Date,
    Time,
    DateTime,
    Boolean,
    AutoInc
};

struct FieldDef
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0; // bytes (CP949) for strings
    bool required = false;
    bool addedByMigration = false; // missing from the oldest layout
};

struct IndexDef
{
    QString name;
    QStringList fields;
    bool unique = false;
    bool noCase = false;
    QStringList oldestFields = {}; // the columns in the oldest layout, when they differ
};

struct TableDef
{
    QString name;
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
    bool createdByMigration = false; // missing from the oldest layout

    const FieldDef* field(const QString& name) const;
};

enum class Layout { Current, Oldest };

const QList<TableDef>& Tables();
const TableDef* FindTable(const QString& name);

// `column = value` (value a placeholder or expression) as the table's index
// over the column can answer it: a case-insensitive index serves only a
// comparison that names its collation, and without the index SQLite reads
// the whole table, a month of lines for each batch looked up.
QString IndexedMatch(const QString& table, const QString& column, const QString& value);

// SQL for one column, as CREATE TABLE and ALTER TABLE ADD COLUMN use it.
// Required fields are checked by the engine; the byte limits of text fields
// are not part of the file (any SQLite tool must be able to write it), they
// are the connection's own checks (ByteLimitTriggerSql).
QString ColumnSql(const QString& table, const FieldDef& field);
QString CreateTableSql(const TableDef& table, Layout layout);
QStringList CreateIndexSql(const TableDef& table, Layout layout);

// The connection-local triggers that refuse a text longer than its field's
// CP949 byte limit, on insert and on an update that changes it (one trigger
// per column, so that an update pays only for the columns it sets), over the
// columns the file has (`present`; all when empty). They call cp949_len(), so
// they only exist on the program's own connections.
QStringList ByteLimitTriggerSql(const TableDef& table, const QStringList& present = {});
QStringList DropByteLimitTriggerSql(const TableDef& table);
// The refusal a byte-limit check gives for `field`, as ClassifyError reads
// it back to name the field.
QString ByteLimitMessage(const QString& table, const QString& field);
// The update trigger of one text column, and its removal.
QString ByteLimitUpdateTriggerSql(const TableDef& table, const FieldDef& field);
QString DropByteLimitUpdateTriggerSql(const TableDef& table, const FieldDef& field);

// Runs the statements in order; fails, with the engine's text, at the first
// that fails.
platform::Result<> ExecStatements(QSqlDatabase& db, const QStringList& statements);

// Creates the table (and its indexes) in the given layout.
platform::Result<> CreateTable(QSqlDatabase& db, const TableDef& table, Layout layout);

bool TableExists(QSqlDatabase& db, const QString& table);
bool ColumnExists(QSqlDatabase& db, const QString& table, const QString& column);

} // namespace store
