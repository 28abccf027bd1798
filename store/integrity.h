#pragma once

#include <QSqlDatabase>
#include <QStringList>

namespace store {

// The engine's own check: every problem it reports, none when the file is
// sound. `quick` skips the index contents (much faster on a big file).
QStringList CheckIntegrity(QSqlDatabase& db, bool quick = false);

// The current layout: each table, column and named index that the tables'
// description has and the file lacks.
QStringList CheckLayout(QSqlDatabase& db);

// A database of this system: it holds the tables every version has had.
bool IsPelmarDatabase(QSqlDatabase& db);

} // namespace store
