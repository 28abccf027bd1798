#pragma once

#include "platform/result.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <vector>

namespace audit {

struct Entry
{
    qint64 seq = 0;
    QString time; // "yyyy-MM-dd HH:mm:ss", the program clock
    QString user;
    QString program;
    QString action;
    QString table;
    QString key;
    QString institution;
    QString field;
    QString oldValue;
    QString newValue;
};

// Which entries to read; an empty member does not filter.
struct Filter
{
    QDate from; // first day, inclusive
    QDate to;   // last day, inclusive
    QString table;       // exact table name (any letter case)
    QString institution; // exact institution code
    QString user;        // exact operating-system user
    QString key;         // part of the row's key
    QString text;        // part of the key, table, action, field or either value
};

// The matching entries in the order they were written, from the program's
// connection (the record attached) or from the record file on a read-only
// connection of its own. A read the engine refuses is a failure with the
// user's message, never an empty list.
platform::Result<std::vector<Entry>> ReadEntries(QSqlDatabase db, const Filter& filter);
platform::Result<std::vector<Entry>> ReadEntries(const QString& auditFile, const Filter& filter);

// The monthly check: how many changes and downloads the period holds.
struct PeriodCounts
{
    int changes = 0;
    int downloads = 0;
};
platform::Result<PeriodCounts> CountPeriod(QSqlDatabase db, const QDate& from, const QDate& to);

// The chain walked from its first row.
struct Verdict
{
    bool whole = false;
    qint64 rows = 0;
    // The first row changed, removed or put in by other means (whole false),
    // or the recorded breaks of the chain (whole true), as the user reads them.
    QString message;
    QStringList breaks;
};
// Fails only when the file cannot be read; a broken chain is a Verdict.
platform::Result<Verdict> Verify(const QString& auditFile);

} // namespace audit
