#pragma once

#include "platform/result.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

// 수납 현황: how much of a month was collected, per institution and month of
// the transfer date, read from the batches and their lines. A line is
// collected when its batch was answered (수신완료) with "Y", failed when
// answered with any other mark but "Z", and unanswered otherwise ("Z", or
// its batch not yet answered), so that requested = collected + failed +
// unanswered, in lines and in won, for every row and for the branch.
namespace reports {

struct CollectionFigures
{
    qint64 requestedCount = 0, requestedAmount = 0;
    qint64 collectedCount = 0, collectedAmount = 0;
    qint64 failedCount = 0, failedAmount = 0;
    qint64 unansweredCount = 0, unansweredAmount = 0;

    void add(const CollectionFigures& o);
    // Collected won of requested won, in percent; 0 for nothing requested.
    double rate() const;
};

// The code of the branch total's row.
QString BranchTotalCode(); // "전체"

struct CollectionRow
{
    QString institution; // GiganID10 as UserCode spells it
    QString name;        // UserCode.Name; empty when not registered
    QString month;       // "yyyy-MM"
    CollectionFigures figures;
};

// Failed lines of one result code.
struct FailureRow
{
    QString institution; // BranchTotalCode() in the chart's all-institution sums
    QString month;
    QString code; // ResultID4, else the 80-byte layout's ResultID
    QString text; // CodeP.Name; empty when the code is not there
    qint64 count = 0;
    qint64 amount = 0;
};

// An answered batch whose kept answer file's trailer states another count
// or amount than its lines hold now.
struct TrailerWarning
{
    QString institution;
    QDate date;
    QList<int> batches; // AptID
    QString file;       // the kept copy
    qint64 statedCount = 0, statedAmount = 0;
    qint64 lineCount = 0, lineAmount = 0;
    QString message() const;
};

struct CollectionQuery
{
    QString month;       // "yyyy-MM"
    QString institution; // empty: every institution
    // The eleven months before `month` as well, for the chart.
    bool history = false;
    // Where the kept answers are (shell::KeptReceiveDir); empty: no check.
    QString keptReceiveDir;
};

struct CollectionReport
{
    QString month;
    // One row per institution for the month (every registered one, and any
    // other that has batches), by code; then the branch total.
    QList<CollectionRow> rows;
    CollectionRow total;
    // The month's failed lines by institution and result code.
    QList<FailureRow> failures;
    QList<TrailerWarning> warnings;
    // With `history`: the twelve months ending with `month`, every
    // institution's row of each month that has lines, and the failed lines
    // by month and code summed over the institutions shown.
    QStringList months;
    QList<CollectionRow> history;
    QList<FailureRow> historyFailures;
};

// "yyyy-MM" of a real month, else invalid.
QDate ParseMonth(const QString& month);

// Reads the report in one pass over the lines (grouped in SQL). Fails,
// saying why, when the tables or a kept answer cannot be read, or when
// `institution` names no institution.
platform::Result<CollectionReport> ReadCollections(QSqlDatabase db, const CollectionQuery& query);

// The command's tab-separated lines: institution code, name, month,
// requested, collected, failed, unanswered (each count and won), the branch
// total last.
QStringList CollectionLines(const CollectionReport& report);
// With --by-code: institution code, month, result code, its text, count, won.
QStringList FailureLines(const CollectionReport& report);

// The screen's and the export's headings and rows (amounts as plain digits).
QStringList CollectionHeadings();
QList<QStringList> CollectionSheetRows(const CollectionReport& report);

// The chart's figures (the months, the history and its failures) as the
// helper `pelmar-chart` reads them on its standard input, and back.
QByteArray ChartData(const CollectionReport& report);
std::optional<CollectionReport> ReadChartData(const QByteArray& data);

// Draws the chart into the PNG file `path` through `pelmar-chart` in
// `shippedDir` (Qt Charts needs the widget library, which the command-line
// programs do not load). Fails saying why.
platform::Result<> WriteChartFile(const CollectionReport& report, const QString& path,
                                  const QString& shippedDir);

} // namespace reports
