#pragma once

#include "codes/institution.h"
#include "shell/save_outcome.h"
#include "store/states.h"

#include <QDate>
#include <QSqlDatabase>
#include <QList>
#include <QString>
#include <QTime>
#include <functional>
#include <optional>

class QSqlQuery;
class QSqlRecord;

namespace shell {
class Ui;
}
namespace store {
class TDM1;
}

namespace transfer {

using store::BatchState;

// Only a batch or group not yet sent switches between "송신불가" and
// "송신대기".
bool Switchable(BatchState state);

// Count and sum of the lines in each bank group, as the batch keeps them:
// all lines, 10-11 (중앙회), 12-15 (회원조합), every other code (타행).
struct GroupTotals
{
    int totNo = 0, junNo = 0, joNo = 0, sucNo = 0;
    qint64 totMon = 0, junMon = 0, joMon = 0, sucMon = 0;

    // Counts one line by its bank code read as a number (non-numeric is 0),
    // and the overall pair as the sum of the three groups.
    void add(const QString& bankCode, qint64 amount);
};

// What a request batch and a saved group both are: the head of a list of
// lines for one institution, with the columns Apt1 and GroupAp1 share.
struct TransferHead
{
    int AptID = 0;
    QString GiganID;
    QString GiganID10;
    QString FileGubun = QStringLiteral("11");
    QString BankCode;
    QString MoBankNo;
    QDate IcheDate;
    QDate IcheEDate;
    QDate SendDate;
    QString Pass;
    BatchState State;
    int TotNo = 0;
    qint64 TotMoney = 0;
    QString Bigo;

    // Sent or answered heads are read-only.
    bool editable() const { return State < BatchState::Sent; }

protected:
    // A batch and a group start with different bank codes and states.
    TransferHead(const QString& bankCode, BatchState state) : BankCode(bankCode), State(state) {}
};

// One request batch (row of Apt1).
struct TransferBatch : TransferHead
{
    TransferBatch() : TransferHead(QStringLiteral("35"), BatchState::NoData) {}

    GroupTotals E1;
    QDate Rdate;
    QTime Stime;
    std::optional<int> DataNo;

    QString STAT() const { return store::BatchStateText(State); }
    // The send date is shown only once the batch has gone.
    QDate SDATE() const { return State >= BatchState::Sent ? SendDate : QDate(); }
    int E1ErrNo() const { return E1.totNo - E1.junNo - E1.joNo - E1.sucNo; }
    qint64 E1ErrMon() const { return E1.totMon - E1.junMon - E1.joMon - E1.sucMon; }
};

enum class BatchOrder { None, GiganID10, IcheDate, SendDate, State };

enum class BatchField { None, Institution, Password, IcheDate };

using BatchSave = shell::SaveOutcome<BatchField>;

struct BatchSearch
{
    QString giganId; // empty: any institution
    QDate from;      // null: no lower bound
    QDate to;        // null: no upper bound

    bool matches(const TransferBatch& b) const;
};

// A saved group as the batch screen's 그 룹 list shows it.
struct GroupEntry
{
    int AptID = 0;
    QString GroupName;
    int TotNo = 0;

    QString text() const; // name, five blanks, right-aligned count and "건"
};

// The batch operations of the batch screen and pelmar-tool over Apt1 and
// its lines in Apt2. Each asks and reports through the Ui; every change of
// more than one row runs in one transaction.
class Batches
{
public:
    Batches(store::TDM1& dm, shell::Ui& ui);

    // None after showing why the batches did not read.
    std::optional<QList<TransferBatch>> List(BatchOrder order = BatchOrder::None) const;
    std::optional<TransferBatch> Find(int aptId) const;

    // The institutions a batch may be made for: those with a code, in code order.
    // None after showing why the table did not read.
    std::optional<QList<codes::Institution>> Institutions() const;
    // The institution of `code`; none when no row has it (or `code` is
    // empty); the failure is the user's message.
    platform::Result<std::optional<codes::Institution>> Institution(const QString& code) const;

    // The defaults of a batch being entered; nullopt (with the message)
    // when no institution is set up. Nothing is stored yet.
    std::optional<TransferBatch> NewBatch() const;

    // Checks in order (holiday, before today, beyond 20 days, institution,
    // password) and stores the row; the first failure shows its message
    // and names the field.
    BatchSave Save(TransferBatch& row, bool isNew);

    // Asks twice and deletes the batches with all their lines. `caption`
    // begins each log line.
    bool Delete(const QList<int>& aptIds, const QString& caption);

    // Double-click: 1 ⇄ 0 for the batch and its lines after the question.
    // False when nothing changed (other states, No, or an error).
    bool ToggleState(int aptId);
    // The same switch without the question, to the given Blocked or
    // Waiting; a batch already there is left alone. False (with a message)
    // for other states.
    bool SwitchState(int aptId, BatchState state);

    // Copies a batch (all lines, or only the failed ones) into a new one.
    std::optional<int> Copy(int aptId, bool failedOnly);
    // Creates a batch from a saved group.
    std::optional<int> CopyGroup(int groupId);
    // The saved groups; none after showing why they did not read.
    std::optional<QList<GroupEntry>> Groups() const;

    // Recomputes TotNo, TotMoney, the E1 pairs and the State of a batch
    // from its lines; batches already sent are left alone.
    bool RecomputeTotals(int aptId);

    // The log line of a deleted batch row.
    static QString DeleteLogText(const QString& caption, const QSqlRecord& row);

private:
    bool setState(int aptId, BatchState state);
    // Inserts the head row under the next free number, which it sets in `b`.
    std::optional<int> appendBatch(TransferBatch& b);
    // What Copy and CopyGroup share: `b` is appended as a new batch dated
    // the next business day, the `count` lines `read` selects are written
    // into it (`lineOf` reads one), then its totals; one transaction. With
    // `settleState` the batch waits for a send once it got lines.
    struct CopiedLine;
    std::optional<int> copyBatch(TransferBatch b, QSqlQuery& count, QSqlQuery& read,
                                 const QString& progress,
                                 const std::function<CopiedLine(const QSqlQuery&)>& lineOf,
                                 bool settleState);

    store::TDM1& m_dm;
    shell::Ui& m_ui;
};

// A head table and its lines: the batches (Apt1/Apt2) or the saved groups
// (GroupAp1/GroupAp2), which share their delete and state switch.
struct HeadTables
{
    QString head;
    QString lines;
};
inline const HeadTables kBatchTables{QStringLiteral("Apt1"), QStringLiteral("Apt2")};
inline const HeadTables kGroupTables{QStringLiteral("GroupAp1"), QStringLiteral("GroupAp2")};

// Asks twice and deletes the heads with all their lines in one transaction;
// each deleted head is logged, `caption` first.
bool DeleteHeads(store::TDM1& dm, shell::Ui& ui, const HeadTables& tables,
                 const QList<int>& aptIds, const QString& caption);
// Sets State on a head and all its lines.
bool SetHeadState(store::TDM1& dm, shell::Ui& ui, const HeadTables& tables, int aptId,
                  BatchState state);
// The double-click question: "from" to "to".
bool AskStateSwitch(shell::Ui& ui, BatchState from, BatchState to);
// Double-click on a head in `state`: 송신대기 ⇄ 송신불가 for it and its lines
// after the question; false when nothing changed (other states, No, or an
// error).
bool ToggleHeadState(store::TDM1& dm, shell::Ui& ui, const HeadTables& tables, int aptId,
                     BatchState state);

// The batch save's rules for a transfer date (a business day, not before
// today, at most calendar::kTransferWindowDays after it): the refusal's
// text, or empty when `date` is accepted; nullopt when the calendar could
// not be read (its message has been shown).
std::optional<QString> TransferDateRefusal(QSqlDatabase db, shell::Ui& ui, const QDate& date);

// The first batch at or after `from` that matches; -1 when none.
int FindBatch(const QList<TransferBatch>& batches, int from, const BatchSearch& search);

// What the check of a batch's or group's institution found: the institution,
// or none after the refusal's message, and then whether the password
// (rather than the institution) was refused.
struct InstitutionCheck
{
    std::optional<codes::Institution> chosen;
    bool passwordRefused = false;
};

// The institution a batch or group `row` being saved names, with the
// password given for it, checked as both saves check them: a code no
// institution carries counts as none chosen. When both hold, the row takes
// the institution's account and its trimmed code, and its end date follows
// its transfer date.
InstitutionCheck TakeInstitution(const Batches& batches, shell::Ui& ui, TransferHead& row);

} // namespace transfer
