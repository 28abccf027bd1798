#pragma once

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

namespace shell {
class Ui;
}

namespace reports {

// A batch as the printed lists show it, with the batch screen's derived
// values.
struct ReportBatch
{
    int aptId = 0;
    QString giganId10;
    QString institutionName;
    bool institutionFound = false; // UserCode has exactly one row for the code
    QDate icheDate, sendDate, rdate;
    int state = -1;
    qint64 totNo = 0, totMoney = 0;
    qint64 e1TotNo = 0, e1TotMon = 0, e1JunNo = 0, e1JunMon = 0;
    qint64 e1JoNo = 0, e1JoMon = 0, e1SucNo = 0, e1SucMon = 0;
    QString bigo;

    qint64 failedNo() const { return e1TotNo - e1JunNo - e1JoNo - e1SucNo; }
    qint64 failedMoney() const { return e1TotMon - e1JunMon - e1JoMon - e1SucMon; }
    // The send date as the batch screen shows it: only once sent.
    QDate shownSendDate() const { return state > 1 ? sendDate : QDate(); }
    // "[" + code + "] " + name, or "[" + code + "]" without one name.
    QString institutionLabel() const;
};

struct ReportLine
{
    QString dong, ho, bigo, kita, bankCode, bankName, bankNo, displayBankNo;
    QDate icheDate, rdate, sdate;
    QTime stime;
    qint64 icheMoney = 0;
    QString icheYebu, outcomeName, resultId, resultId4, resultName, napbuNo;
    int state = 0;

    // "미송신" until the line has been sent, then its outcome.
    QString statusText() const;
};

// "송신불가", "송신대기", "송신완료", "수신완료"; empty for anything else.
QString BatchStateText(int state);
// A 13-character payer number without "-" prints as 6 + "-" + 7.
QString PrintedNapbuNo(const QString& napbuNo);

std::optional<ReportBatch> LoadReportBatch(QSqlDatabase db, int aptId);
QList<ReportBatch> LoadAllBatches(QSqlDatabase db); // in batch-number order
// The lines of one batch in the order of `orderFields` (line columns; empty
// for the order of entry). Unknown field names are left out of the order.
QList<ReportLine> LoadReportLines(QSqlDatabase db, int aptId, const QStringList& orderFields = {});

// 0 all lines, 1 the transferred ones ("Y"), 2 every other.
QList<ReportLine> FilterLines(const QList<ReportLine>& lines, int dataChoice);

// The semicolon-separated text output of the lines ("Rendal.txt"): a header
// and one line per record, each field cut or filled to its byte width,
// CP949, CR LF. Written in one piece; false on any error.
bool WriteLinesText(shell::Ui& ui, const QString& fileName, const QList<ReportLine>& lines);

} // namespace reports
