#pragma once

#include "edi/edi_info.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace shell {
class Ui;
}

// The transfer request files: every batch waiting to be sent (Apt1.State 1)
// goes into "Apt_" + ordinal in the send directory, one file per
// institution and transfer date, as an envelope line, an S record, one D
// record per line and an E record. The batches and lines get the numbers
// by which the answers are matched later (DataNo, SendDate, Stime).
namespace edi {

struct TransferRequestRun
{
    QDateTime prepared; // the moment the send run started
    QString sendDir;    // ends in the separator
    QString senderId;   // the link's LoginID
    int divisor = 0;    // the run's check divisor; 0 draws one of the 100 primes
};

struct TransferRequestResult
{
    bool ok = false;
    TEdiInfoList items;    // one per batch written
    QList<int> batchIds;   // AptID of every batch written, in file order
    QList<qint64> lineIds; // Apt2ID of every line written: what a send marks sent
    QStringList files;     // full paths, in order
    QList<int> batchFiles; // for each batch written, the index of its file in `files`
    int lineCount = 0;
    int divisor = 0;
    QStringList skipped; // batches left out because their institution is unknown
    QStringList closed;  // batches left out because their transfer date is a non-business day
    QStringList refused; // batches left out because the bank would refuse them (named above)
};

inline constexpr int kMaxBatchesPerRun = 999;

// Writes the run. The table updates are one transaction: a run that fails
// (more than 999 batches, a file or table error) shows the build error,
// changes no row and deletes the files it wrote. A batch whose institution
// is not registered is left out with a message naming it, and so is a batch
// whose transfer date the branch calendar marks closed (a date that became a
// holiday after the batch was saved). Every file written is read back
// (RequestChecker) before the run is committed: a batch the bank would
// refuse (a record out of its layout, a control character, an account that
// is not digits, an amount not above zero, an unknown bank code, a trailer
// that disagrees, a transfer date outside the window), and a batch with a
// line that has no record form (an amount that does not fit, an account that
// does not end in a digit), is left out with an error naming it, its lines
// and what is wrong, and the run is written again without it. No batch
// waiting: ok with nothing written.
TransferRequestResult BuildTransferRequests(QSqlDatabase db, shell::Ui& ui,
                                            const TransferRequestRun& run);

QString BuildErrorMessage(); // "송신 자료 생성중 오류가 발생하였습니다."
// The message before the list of batches left out for their closed date.
QString ClosedDateMessage();
// The message before the list of batches the bank would refuse.
QString RefusedBatchMessage();

// The batch key: HHMMSS of the preparation time followed by the batch's
// ordinal in three digits, read as one number, in base 62.
QString BatchKey(const QTime& prepared, int ordinal);
// The four decimals of ((amount + day + last account digit) mod N) / N.
QString RecordCheckValue(qint64 amount, int day, int lastDigit, int divisor);
// The four decimals after the point of (count + total + digit sum) / (count + N).
QString FileCheckValue(qint64 count, qint64 total, qint64 digitSum, int divisor);

} // namespace edi
