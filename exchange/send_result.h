#pragma once

#include "platform/result.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace shell {
struct Workspace;
}

// The link's report on recent transmissions, "RptEDI" in the result
// directory: one entry per line at fixed character positions.
namespace exchange {

struct TResultRecord
{
    QString infoName; // the file code of what went out
    QString receiverId;
    QDateTime sendTime;
    QDateTime receiveTime;
    int fetchCount = 0;
    qint64 size = 0;   // bytes
    QString errorText; // empty: processed normally
};

QString ReportPath(const shell::Workspace& ws); // ResultDir + "RptEDI"

// One entry from one report line; missing or bad fields give their empty
// values (times 1990-01-01 00:00, numbers 0).
TResultRecord ParseResultLine(const QString& line);
// Every line of the report in file order; false when it cannot be read.
bool ReadResultReport(const QString& path, QList<TResultRecord>& records);

// A help-desk send ("ZIP" or "TXT" as characters 3 to 5 of the name).
bool IsHelpDeskName(const QString& infoName, const char* kind);

QStringList ResultHeadings();
// "YYYY-MM-DD  hh:nn"; the receive time is empty when it was never set.
QString ResultTimeText(const QDateTime& time);
// Records of 80 bytes less the header and trailer; empty where no count applies.
QString ResultCountText(const TResultRecord& r);
QStringList ResultRow(const TResultRecord& r);

// The detail panel's texts for one entry.
struct ResultDetail
{
    QString work;
    QString receiverId;
    QString receiverName;
    QString fetches; // count + "회"
    QString records; // count + "건", empty where no count applies
    QString bytes;   // size + "바이트", empty when not above 0
    QString result;
};
// Why not when the institutions did not read.
platform::Result<ResultDetail> DescribeResult(QSqlDatabase db, const TResultRecord& r);

// The messages of the results view.
QString ReReceiveHint(); // "\r\r가장 최신의 … 재수신하시기 바랍니다.\r"
QString NoReportMessage();
QString ReportAgeMessage(const QString& stamp);
QString ReportAgeStatus(const QString& stamp);
QString ReReceiveFailedMessage();

} // namespace exchange
