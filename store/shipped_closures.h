#pragma once

#include "platform/result.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The rows of the business calendar table (BizCalendar) that the store
// itself writes: the closures shipped with the release.
namespace store {

inline const QString kClosedKind = QStringLiteral("휴무");
inline const QString kOpenKind = QStringLiteral("영업");
inline const QString kShippedSource = QStringLiteral("공고");
inline const QString kBranchSource = QStringLiteral("지점");

struct ShippedClosure
{
    QDate date;
    QString name;
};

// data/closures.txt beside the programs.
QString ShippedClosuresFile();

// A date written YYYY-MM-DD that exists and lies in 1900..2100; invalid
// otherwise.
QDate ParseCalendarDate(const QString& text);

// The lines "YYYY-MM-DD<TAB>name<TAB>where it was announced" of `file`
// (UTF-8; "#" starts a comment). A line that does not parse is left out and
// described in `skipped` ("line N: text").
QList<ShippedClosure> ReadShippedClosures(const QString& file, QStringList* skipped);

// Adds every shipped closure that the table lacks, leaving the branch's own
// rows as they are. Skipped lines and a missing file are logged; only a
// refused write fails.
platform::Result<> LoadShippedClosures(QSqlDatabase& db, const QString& file);

} // namespace store
