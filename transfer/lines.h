#pragma once

#include "transfer/batches.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>
#include <QVariantMap>
#include <optional>

namespace transfer {

// One transfer line (row of Apt2) with the texts the lines screen shows.
struct TransferItem
{
    int Apt2ID = 0; // 0 for a line not yet stored
    int AptID = 0;
    std::optional<double> DongInt;
    QString Dong;
    std::optional<double> HoInt;
    QString Ho;
    QString BankCode;
    QString BankNo;
    QDate IcheDate;
    qint64 IcheMoney = 0;
    QString IcheYebu = store::StoredValue(store::LineOutcome::Pending);
    QString ResultID;
    QString NapbuNo;
    QDate Rdate;
    BatchState State = BatchState::Waiting;
    QDate Sdate;
    QTime Stime;
    std::optional<int> DataNo;
    QString Bigo;
    QString Kita;
    QString ResultID4;

    // Calculated when the line is read (Describe).
    QString MBankNo;
    QString BankName;
    QString YebuName;
    QString ResultName;
    QString Stat;
    // Filled only while the consent check is on (FillConsent).
    QString cStatus;

    QString cNapbuNo() const { return Dong.trimmed() + Ho.trimmed(); }
    // A consent state that the grid marks in yellow and red.
    bool consentMissing() const
    {
        return !cStatus.isEmpty() && cStatus != QStringLiteral("등록완료");
    }
};

enum class LineOrder { None, Account, DongHo, Name };

enum class LineField { None, Dong, Ho, Bigo, BankCode, BankNo, IcheMoney, Kita };

using LineSave = shell::SaveOutcome<LineField>;

struct LineSearch
{
    QString Bigo;
    QString NapbuNo;
    QString BankNo;

    bool matches(const TransferItem& line) const;
};

// A whole-won amount as typed ("12,500" or "-5000"); nullopt when it is
// not a money value.
std::optional<qint64> ParseAmount(const QString& text);
// The amount rules of a line, shared by the line save and the line import:
// more than nothing and not over the limit.
enum class AmountFault { None, NotPositive, OverLimit };
AmountFault CheckAmount(qint64 amount, qint64 limit);
// "1,234,567" and the limit as the messages show it ("₩5,000,000").
QString FormatAmount(qint64 amount);
QString FormatMoney(qint64 amount);
// A line as the spreadsheet export writes it, in the export's column order:
// consent state, 동, 호, resident, bank code, bank name, account (display
// form), payer number, holder, amount, line state.
QStringList ExportRow(const TransferItem& line);

// The consent register's status as the lines screen names it; "미등록"
// for anything else.
QString ConsentStatusText(std::optional<int> status);

// The lines screen's caption, which also begins its log lines.
QString LinesCaption(const QString& institutionName);

// Fills the calculated texts of a line.
void Describe(TransferItem& line, const store::TDM1& dm);

// Which lines: of a batch (Apt2) or of a saved group (GroupAp2).
enum class LineTable { Batch, Group };

// The line operations of the lines screen for one batch, or of the group
// lines screen for one group. The amount limit is read from Firm.ini once,
// when the object is made.
class TransferLines
{
public:
    TransferLines(store::TDM1& dm, shell::Ui& ui, int aptId,
                  LineTable table = LineTable::Batch);

    int aptId() const { return m_aptId; }
    qint64 limit() const { return m_limit; }

    // The batch's lines; none after showing why they did not read.
    std::optional<QList<TransferItem>> List(LineOrder order = LineOrder::None) const;
    std::optional<TransferItem> Find(int apt2Id) const;

    // The defaults of a line being entered for `batch`; nothing is stored.
    TransferItem NewLine(const TransferBatch& batch) const;

    // Checks in order (amount, limit, bank code, account number and its
    // question) and stores the line; the first failure names the field.
    LineSave Save(TransferItem& line, bool isNew);

    // Asks and deletes the lines (the selected ones, or the current one).
    // `caption` begins the log line.
    bool Delete(const QList<int>& apt2Ids, const QString& caption);

    // Copies one line into the batch; the new line's key.
    std::optional<int> CopyLine(int apt2Id, const TransferBatch& batch);

    // Sets one typed amount on every given line, all or none: the amount
    // must pass the checks of a line save.
    bool SetAmount(const QList<int>& apt2Ids, const QString& text);

    // From `from` onward, the first line with an unknown bank code or an
    // account number the bank rejects (with its message); -1 when none.
    int FindBadAccount(const QList<TransferItem>& lines, int from);

    // Looks every line up in the consent register; true when one of them
    // is not registered.
    std::optional<bool> FillConsent(QList<TransferItem>& lines, const QString& giganId10) const;
    // True when some line of the batch has no completed consent; none
    // after showing why the check could not read.
    std::optional<bool> MissingConsent() const;

    bool BankCodeExists(const QString& code) const;

private:
    bool checkAmount(qint64 amount);
    // Runs `sql` for each line of the batch (":id", ":apt" and `values`)
    // in one transaction, with a progress bar for more than one.
    bool eachLine(const QList<int>& apt2Ids, const QString& progressText, const QString& sql,
                  const QVariantMap& values);
    QString columns() const;

    store::TDM1& m_dm;
    shell::Ui& m_ui;
    int m_aptId;
    qint64 m_limit;
    bool m_group;
    QString m_table;
};

// The first line at or after `from` that matches; -1 when none.
int FindLine(const QList<TransferItem>& lines, int from, const LineSearch& search);

} // namespace transfer
