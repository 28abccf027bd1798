#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <memory>

namespace shell {
class Ui;
}

namespace calendar {

// Transfer dates may lie at most this many days after the send date.
inline constexpr int kTransferDateRangeDays = 7;
// A transfer date may lie at most this many days after today: a batch is
// saved only within it, and a request file is sent only within it.
inline constexpr int kTransferWindowDays = 20;

// What the exchange window checks.
inline constexpr const char* kExchangeTable = "Apt1";
inline constexpr const char* kExchangeDateField = "IcheDate";

QString TransferLabel(); // "이체", the exchange window's data-kind label

QString RangeWarningCaption();
QString RangeWarningText(const QString& label, int count);
QString DuplicateWarningCaption();
QString DuplicateWarningText();
// What the exchange window shows in its status area when the user stops.
QString RangeStoppedStatus();
QString DuplicateStoppedStatus();

// Checks the transfer dates of the batches waiting to be sent (State 1)
// before they leave: none too far ahead, none on a date that was already sent.
class TCheckSendDate
{
public:
    explicit TCheckSendDate(shell::Ui& ui);
    ~TCheckSendDate();

    // False when the database is not connected (the checks are then skipped
    // and sending goes on) or a name is not a plain identifier. An empty
    // bank-code field means no bank-code condition; otherwise only the bank
    // codes 11 and 12 are checked.
    bool Setup(QSqlDatabase& db, const QString& tableName, const QString& dateFieldName,
               const QString& bankCodeFieldName = QString());

    // Warns about waiting transfer dates seven or more days after today; the
    // user decides. True: go on.
    bool CheckDateRange(const QString& label);

    // Warns when a waiting transfer date was already used by a sent batch
    // (State 2), whatever the institution; the user decides. True: go on.
    bool CheckDuplicateDate();

private:
    // The distinct waiting transfer dates, ascending; false on a database error.
    bool WaitingDates(QList<QDate>& dates);

    shell::Ui& ui_;
    std::unique_ptr<QSqlQuery> query_;
    QString tableName_;
    QString dateFieldName_;
    QString bankCodeFieldName_;
};

} // namespace calendar
