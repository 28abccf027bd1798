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

// Every stored text longer than its field's CP949 byte limit (written by
// another tool, or by an older release), one entry per value:
// "value Table key=…,… column: n bytes (max m)". The key is the table's
// unique key, or its first index's columns and the row number.
QStringList CheckByteLimits(QSqlDatabase& db);

// In the tables the request files are made from (batches, lines, groups,
// consents, institutions): every stored text holding a control character
// and every account number holding anything but digits and hyphens (blanks
// around it aside), one entry per value: "value Table key=…,… column: what
// [value]", control characters shown as <0D>.
QStringList CheckStoredText(QSqlDatabase& db);

// A database of this system: it holds the tables every version has had.
bool IsPelmarDatabase(QSqlDatabase& db);

} // namespace store
