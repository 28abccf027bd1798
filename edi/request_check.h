#pragma once

#include "calendar/business_calendar.h"
#include "platform/result.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QString>

// The transfer request files read back before they are handed over, by a
// reader of their own that knows nothing of the writer but the published
// layout (carried here as its own table): what the bank would refuse is
// found here, batch by batch, so that only that batch stays behind.
namespace edi {

struct RequestFault
{
    int aptId = 0; // the batch at fault; 0 when it is the file's (every batch in it)
    QString line;  // "동 101 호 1203" of the record at fault; empty for a batch or file
    QString what;  // what is wrong
};

struct RequestFileCheck
{
    QString institution; // as the S record has it
    QList<int> batches;  // the batches the database gives the file, AptID order
    QList<RequestFault> faults;
    // Why the database could not be asked; the file is then not checked at
    // all, and the run must stop rather than leave its batches out.
    QString unread;
};

// Reads files of one run. The database is asked which batches and lines a
// file should carry (by the institution and date of its S record and the
// run's moment, which the build stamps on its batches), the bank code table
// and the business calendar.
class RequestChecker
{
public:
    RequestChecker(QSqlDatabase db, const QDateTime& prepared);

    // Reads the calendar and the bank codes; the reason when it cannot.
    platform::Result<> load();
    RequestFileCheck check(const QByteArray& file) const;

private:
    QSqlDatabase m_db;
    QDateTime m_prepared;
    calendar::BusinessCalendar m_calendar;
    QSet<QString> m_bankCodes;
};


} // namespace edi
