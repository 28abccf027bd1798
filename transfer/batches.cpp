#include "transfer/batches.h"

#include "audit/record.h"

#include "calendar/business_calendar.h"
#include "calendar/check_send_date.h"
#include "calendar/holidays.h"
#include "codes/bank_groups.h"
#include "shell/clock.h"
#include "shell/log.h"
#include "shell/ui.h"
#include "store/account_numbers.h"
#include "store/bulk_write.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"
#include "transfer/groups.h"
#include "transfer/row_values.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace transfer {
namespace {

using namespace detail;

const char* const kBatchColumns =
    "AptID, GiganID, GiganID10, FileGubun, BankCode, MoBankNo, IcheDate, IcheEDate, SendDate, "
    "Pass, E1TotNo, E1TotMon, E1JunNo, E1JunMon, E1JoNo, E1JoMon, E1SucNo, E1SucMon, Rdate, "
    "State, Stime, TotNo, TotMoney, DataNo, Bigo";

// The ORDER BY of each BatchOrder, in the enum's order.
const char* const kBatchOrderBy[] = {"rowid", "GiganID10 COLLATE NOCASE, rowid", "IcheDate, rowid",
                                     "SendDate, rowid", "State, rowid"};
static_assert(std::size(kBatchOrderBy) == int(BatchOrder::State) + 1);

TransferBatch batchFrom(const QSqlQuery& q)
{
    TransferBatch b;
    b.AptID = q.value(0).toInt();
    readHeadColumns(b, q, 1);
    b.E1.totNo = q.value(10).toInt();
    b.E1.totMon = q.value(11).toLongLong();
    b.E1.junNo = q.value(12).toInt();
    b.E1.junMon = q.value(13).toLongLong();
    b.E1.joNo = q.value(14).toInt();
    b.E1.joMon = q.value(15).toLongLong();
    b.E1.sucNo = q.value(16).toInt();
    b.E1.sucMon = q.value(17).toLongLong();
    b.Rdate = toDate(q.value(18));
    b.State = store::BatchStateFrom(q.value(19));
    b.Stime = toTime(q.value(20));
    b.TotNo = q.value(21).toInt();
    b.TotMoney = q.value(22).toLongLong();
    b.DataNo = toOptionalInt(q.value(23));
    b.Bigo = q.value(24).toString();
    return b;
}

void bindTotals(QSqlQuery& q, const GroupTotals& t)
{
    bindAll(q, {{":E1TotNo", t.totNo},
                {":E1TotMon", t.totMon},
                {":E1JunNo", t.junNo},
                {":E1JunMon", t.junMon},
                {":E1JoNo", t.joNo},
                {":E1JoMon", t.joMon},
                {":E1SucNo", t.sucNo},
                {":E1SucMon", t.sucMon}});
}

// Stores the line count, sum and bank-group pairs of a batch, and its
// State when one is given (a null QVariant stores NULL).
bool writeTotals(QSqlDatabase db, int aptId, const GroupTotals& t,
                 const std::optional<QVariant>& state, QSqlError* error)
{
    QSqlQuery q(db);
    q.prepare(QString("UPDATE Apt1 SET TotNo = :TotNo, TotMoney = :TotMoney, E1TotNo = :E1TotNo, "
                      "E1TotMon = :E1TotMon, E1JunNo = :E1JunNo, E1JunMon = :E1JunMon, "
                      "E1JoNo = :E1JoNo, E1JoMon = :E1JoMon, E1SucNo = :E1SucNo, "
                      "E1SucMon = :E1SucMon%1 WHERE AptID = :AptID")
                  .arg(state ? ", State = :State" : ""));
    bindAll(q, {{":TotNo", t.totNo}, {":TotMoney", t.totMon}, {":AptID", aptId}});
    if (state)
        q.bindValue(":State", *state);
    bindTotals(q, t);
    if (q.exec())
        return true;
    *error = q.lastError();
    return false;
}

QString valueText(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

// The head of a copy of batch or group `src`; its number comes with the
// insert. It waits for a send unless the source had no lines.
TransferBatch copiedHead(const TransferHead& src)
{
    TransferBatch b;
    b.GiganID10 = src.GiganID10;
    b.FileGubun = src.FileGubun;
    b.MoBankNo = src.MoBankNo;
    b.Pass = src.Pass;
    b.Bigo = src.Bigo;
    b.State = src.State == BatchState::NoData ? BatchState::NoData : BatchState::Waiting;
    return b;
}

} // namespace

namespace detail {

bool execTelling(shell::Ui& ui, QSqlQuery& q)
{
    if (q.exec())
        return true;
    ui.ShowInfo(store::WriteErrorMessage(q.lastError()));
    return false;
}

bool updateHead(shell::Ui& ui, const QSqlDatabase& db, const QString& table, const TransferHead& h,
                const QString& column, const QVariant& value)
{
    // The table and column names are the module's own, never user input.
    QSqlQuery q(db);
    q.prepare(QString("UPDATE %1 SET %2 = :own, GiganID10 = :GiganID10, Pass = :Pass, "
                      "IcheEDate = :IcheEDate, MoBankNo = :MoBankNo, Bigo = :Bigo "
                      "WHERE AptID = :AptID")
                  .arg(table, column));
    bindAll(q, {{":own", value},
                {":GiganID10", h.GiganID10},
                {":Pass", h.Pass},
                {":IcheEDate", dateValue(h.IcheEDate)},
                {":MoBankNo", h.MoBankNo},
                {":Bigo", store::TrimRight(h.Bigo)},
                {":AptID", h.AptID}});
    return execTelling(ui, q);
}

std::optional<int> insertHead(shell::Ui& ui, const QSqlDatabase& db, QSqlQuery& insert,
                              const QString& table)
{
    if (!execTelling(ui, insert))
        return std::nullopt;
    const platform::Result<int> number = insertedNumber(db, insert, table);
    if (!number) {
        ui.ShowInfo(number.error());
        return std::nullopt;
    }
    return *number;
}

} // namespace detail

bool Switchable(BatchState state)
{
    return state == BatchState::Blocked || state == BatchState::Waiting;
}

void GroupTotals::add(const QString& bankCode, qint64 amount)
{
    switch (codes::GroupOf(bankCode)) {
    case codes::BankGroup::Central:
        ++junNo;
        junMon += amount;
        break;
    case codes::BankGroup::Member:
        ++joNo;
        joMon += amount;
        break;
    case codes::BankGroup::Other:
        ++sucNo;
        sucMon += amount;
        break;
    }
    totNo = junNo + joNo + sucNo;
    totMon = junMon + joMon + sucMon;
}

bool BatchSearch::matches(const TransferBatch& b) const
{
    if (!giganId.isEmpty() && b.GiganID10 != giganId)
        return false;
    if (from.isValid() && !(b.IcheDate.isValid() && from <= b.IcheDate))
        return false;
    if (to.isValid() && !(b.IcheDate.isValid() && to >= b.IcheDate))
        return false;
    return true;
}

int FindBatch(const QList<TransferBatch>& batches, int from, const BatchSearch& search)
{
    for (int i = std::max(0, from); i < batches.size(); ++i)
        if (search.matches(batches[i]))
            return i;
    return -1;
}

QString GroupEntry::text() const
{
    return GroupName + "     " + QString::number(TotNo).rightJustified(6) + "건";
}

Batches::Batches(store::TDM1& dm, shell::Ui& ui) : m_dm(dm), m_ui(ui) {}

std::optional<QList<TransferBatch>> Batches::List(BatchOrder order) const
{
    return readRows(
        m_ui, m_dm.db(),
        QString("SELECT %1 FROM Apt1 ORDER BY %2").arg(kBatchColumns, kBatchOrderBy[int(order)]),
        batchFrom);
}

std::optional<TransferBatch> Batches::Find(int aptId) const
{
    const std::optional<QList<TransferBatch>> found = readRows(
        m_ui, m_dm.db(),
        QString("SELECT %1\nFrom Apt1\nWHERE AptID = :id ORDER BY rowid").arg(kBatchColumns),
        batchFrom, aptId);
    return !found || found->isEmpty() ? std::nullopt : std::optional(found->first());
}

std::optional<QList<codes::Institution>> Batches::Institutions() const
{
    std::optional<QList<codes::Institution>> read = codes::Institutions(m_dm.db(), m_ui).List();
    if (!read)
        return std::nullopt;
    QList<codes::Institution>& all = *read;
    all.erase(std::remove_if(all.begin(), all.end(),
                             [](const codes::Institution& i) { return i.APID10.isEmpty(); }),
              all.end());
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        return a.APID10.compare(b.APID10, Qt::CaseInsensitive) < 0;
    });
    return read;
}

platform::Result<std::optional<codes::Institution>>
Batches::Institution(const QString& code) const
{
    if (code.trimmed().isEmpty())
        return std::optional<codes::Institution>();
    return codes::Institutions(m_dm.db(), m_ui).FindByCode(code.trimmed());
}

std::optional<TransferBatch> Batches::NewBatch() const
{
    QSqlQuery q(m_dm.db());
    if (!q.exec("SELECT Count(*) FROM UserCode") || !q.next()) {
        m_ui.ShowError(store::ReadFailureMessage(q.lastError()));
        return std::nullopt;
    }
    if (q.value(0).toInt() == 0) {
        m_ui.ShowInfo(
            QStringLiteral("환경설정의 이용자설정에서 기관코드을 등록하신 후 작업하십시오."));
        return std::nullopt;
    }
    TransferBatch b;
    // What the screen shows while the batch is entered; the saved batch
    // takes the next free number when it is inserted.
    const std::optional<int> number = m_dm.NextBatchNumber();
    if (!number)
        return std::nullopt;
    b.AptID = *number;
    const std::optional<QList<codes::Institution>> read = Institutions();
    if (!read)
        return std::nullopt;
    const QList<codes::Institution>& list = *read;
    if (!list.isEmpty()) {
        b.GiganID10 = list.first().APID10.trimmed();
        b.MoBankNo = list.first().BankNoApt;
    }
    const std::optional<QDate> date = calendar::NextBusinessDay(m_dm.db(), m_ui, shell::Today());
    if (!date)
        return std::nullopt;
    b.IcheDate = b.IcheEDate = *date;
    b.State = BatchState::NoData;
    return b;
}

BatchSave Batches::Save(TransferBatch& row, bool isNew)
{
    using F = BatchField;
    const std::optional<QString> refused = TransferDateRefusal(m_dm.db(), m_ui, row.IcheDate);
    if (!refused)
        return {false, F::IcheDate};
    if (!refused->isEmpty())
        return shell::RefuseSave(m_ui, *refused, F::IcheDate);
    const InstitutionCheck check = TakeInstitution(*this, m_ui, row);
    if (!check.chosen)
        return {false, check.passwordRefused ? F::Password : F::Institution};
    const bool stored = isNew ? appendBatch(row).has_value()
                              : updateHead(m_ui, m_dm.db(), kBatchTables.head, row, "IcheDate",
                                           dateValue(row.IcheDate));
    return {stored, stored ? F::None : F::Institution};
}

std::optional<QString> TransferDateRefusal(QSqlDatabase db, shell::Ui& ui, const QDate& date)
{
    const QDate today = shell::Today();
    if (!date.isValid())
        return QStringLiteral("지정한 이체 일자가 공휴일입니다.");
    const std::optional<bool> holiday = calendar::IsBusinessHoliday(db, ui, date);
    if (!holiday)
        return std::nullopt;
    if (*holiday)
        return QStringLiteral("지정한 이체 일자가 공휴일입니다.");
    if (date < today)
        return QStringLiteral("이체일자가 현재일자 보다 이전일자 입니다.");
    if (date > today.addDays(calendar::kTransferWindowDays))
        return QStringLiteral("이체일자는 현재일자 부터 20일 이내의 일자를 입력하세요.");
    return QString();
}

std::optional<int> Batches::appendBatch(TransferBatch& b)
{
    QSqlQuery q(m_dm.db());
    // The number is taken in the insert itself (insertedNumber).
    q.prepare("INSERT INTO Apt1 (AptID, GiganID, GiganID10, FileGubun, BankCode, MoBankNo, "
              "IcheDate, IcheEDate, SendDate, Pass, E1TotNo, E1TotMon, E1JunNo, E1JunMon, E1JoNo, "
              "E1JoMon, E1SucNo, E1SucMon, State, TotNo, TotMoney, Bigo) SELECT "
              "Coalesce(Max(AptID), 0) + 1, :GiganID, :GiganID10, :FileGubun, :BankCode, "
              ":MoBankNo, :IcheDate, :IcheEDate, :SendDate, :Pass, :E1TotNo, :E1TotMon, :E1JunNo, "
              ":E1JunMon, :E1JoNo, :E1JoMon, :E1SucNo, :E1SucMon, :State, :TotNo, :TotMoney, "
              ":Bigo FROM Apt1");
    bindHeadColumns(q, b);
    bindTotals(q, b.E1);
    const std::optional<int> number = insertHead(m_ui, m_dm.db(), q, "Apt1");
    if (number)
        b.AptID = *number;
    return number;
}

QString Batches::DeleteLogText(const QString& caption, const QSqlRecord& row)
{
    // The fields of older layouts are named too; only those the table has
    // are written.
    static const char* const kLogged[] = {
        "GiganID",   "Gigan_ID",   "Gygan_ID", "GiganCode",    "IcheDate",
        "SendDate",  "STime",      "RDate",    "Trade_Dt",     "Trans_Dt",
        "Trans_Ti",  "TotNo",      "TotMoney", "Tot_Ok_In_No", "Tot_Ok_In_Pay",
        "Pay_Ip_No", "Pay_Ip_Mon", "DataNo",   "State"};
    QString text = caption + " 자료삭제";
    for (const char* name : kLogged) {
        const int i = row.indexOf(QString::fromLatin1(name)); // ignores case
        if (i >= 0)
            text += ", " + QString::fromLatin1(name) + " " + valueText(row.value(i));
    }
    return text;
}

bool DeleteHeads(store::TDM1& dm, shell::Ui& ui, const HeadTables& tables, const QList<int>& aptIds,
                 const QString& caption)
{
    if (aptIds.isEmpty())
        return false;
    const int n = int(aptIds.size());
    if (!ui.Confirm(QString("선택된 %1개의 자료를 삭제하시겠습니까?").arg(n), false))
        return false;
    if (!ui.Confirm(
            QStringLiteral("한번 삭제된 자료는 다시 복구할 수 없습니다.\r\r정말 삭제하시겠습니까?"),
            false))
        return false;

    QStringList logLines;
    QSqlQuery read(dm.db());
    read.prepare("SELECT *\nFrom " + tables.head + "\nWHERE AptID = :id");
    for (const int id : aptIds) {
        read.bindValue(":id", id);
        if (read.exec())
            while (read.next())
                logLines.append(Batches::DeleteLogText(caption, read.record()));
    }
    read.finish();
    {
        store::BulkWrite bulk(dm.db());
        bulk.showProgress(ui, QStringLiteral("자료 삭제 처리 중..."), n);
        const bool ok =
            bulk.run({"DELETE FROM " + tables.lines + " WHERE " +
                          store::IndexedMatch(tables.lines, "AptID", ":id"),
                      "DELETE FROM " + tables.head + " WHERE AptID = :id"},
                     n, [&](QSqlQuery& q, int row) { q.bindValue(":id", aptIds[row]); });
        if (!ok || !bulk.commit()) {
            ui.ShowError(store::WriteErrorMessage(bulk.error()));
            return false;
        }
    }
    // Logged once the rows are really gone.
    for (const QString& line : logLines)
        shell::WriteLog(line);
    ui.CloseWait();
    return true;
}

bool SetHeadState(store::TDM1& dm, shell::Ui& ui, const HeadTables& tables, int aptId,
                  BatchState state)
{
    store::BulkWrite bulk(dm.db());
    const auto bind = [&](QSqlQuery& q, int) {
        q.bindValue(":s", store::StoredValue(state));
        q.bindValue(":id", aptId);
    };
    bool ok = false;
    {
        // The lines follow their head: the record keeps the head's change.
        audit::Quiet quiet;
        ok = bulk.run("UPDATE " + tables.lines + " SET State = :s WHERE " +
                          store::IndexedMatch(tables.lines, "AptID", ":id"),
                      1, bind);
    }
    ok = ok && bulk.run("UPDATE " + tables.head + " SET State = :s WHERE AptID = :id", 1, bind);
    if (!ok || !bulk.commit()) {
        ui.ShowError(store::WriteErrorMessage(bulk.error()));
        return false;
    }
    return true;
}

bool Batches::Delete(const QList<int>& aptIds, const QString& caption)
{
    return DeleteHeads(m_dm, m_ui, kBatchTables, aptIds, caption);
}

bool Batches::setState(int aptId, BatchState state)
{
    return SetHeadState(m_dm, m_ui, kBatchTables, aptId, state);
}

bool AskStateSwitch(shell::Ui& ui, BatchState from, BatchState to)
{
    return ui.Confirm(QString("\"%1\"를 \"%2\"로 변환하시겠습니까?")
                          .arg(store::BatchStateText(from), store::BatchStateText(to)),
                      false);
}

bool ToggleHeadState(store::TDM1& dm, shell::Ui& ui, const HeadTables& tables, int aptId,
                     BatchState state)
{
    if (!Switchable(state))
        return false;
    const BatchState to = state == BatchState::Waiting ? BatchState::Blocked : BatchState::Waiting;
    return AskStateSwitch(ui, state, to) && SetHeadState(dm, ui, tables, aptId, to);
}

bool Batches::ToggleState(int aptId)
{
    const std::optional<TransferBatch> b = Find(aptId);
    return b && ToggleHeadState(m_dm, m_ui, kBatchTables, aptId, b->State);
}

bool Batches::SwitchState(int aptId, BatchState state)
{
    const std::optional<TransferBatch> b = Find(aptId);
    if (!b) {
        m_ui.ShowError(QString("이체자료 %1 이(가) 없습니다.").arg(aptId));
        return false;
    }
    if (!Switchable(b->State)) {
        m_ui.ShowError(QString("\"%1\" 상태의 자료는 변환할 수 없습니다.").arg(b->STAT()));
        return false;
    }
    if (!Switchable(state))
        return false;
    return b->State == state || setState(aptId, state);
}

// One line as a copy writes it into the new batch.
struct Batches::CopiedLine
{
    QVariant Bigo, DongInt, Dong, HoInt, Ho, BankCode, IcheMoney, DataNo, Kita, BankNo, NapbuNo;
};

std::optional<int> Batches::copyBatch(TransferBatch b, QSqlQuery& count, QSqlQuery& read,
                                      const QString& progress,
                                      const std::function<CopiedLine(const QSqlQuery&)>& lineOf,
                                      bool settleState)
{
    store::TransactionGuard tx(m_dm.db());
    const std::optional<QDate> date = calendar::NextBusinessDay(m_dm.db(), m_ui, shell::Today());
    if (date)
        b.IcheDate = b.IcheEDate = *date;
    if (!date || !tx.active() || !appendBatch(b)) {
        m_ui.CloseWait();
        return std::nullopt;
    }
    if (!count.exec() || !count.next() || !read.exec()) {
        m_ui.ShowError(store::WriteErrorMessage(read.lastError()));
        return std::nullopt;
    }
    m_ui.ShowProgress(progress, 0, count.value(0).toInt(), true);

    QSqlQuery write(m_dm.db());
    write.prepare(
        "INSERT INTO Apt2 (AptID, Bigo, DongInt, Dong, HoInt, Ho, BankCode, IcheMoney, "
        "DataNo, Kita, BankNo, IcheDate, IcheYebu, NapbuNo, State) VALUES (:AptID, :Bigo, "
        ":DongInt, :Dong, :HoInt, :Ho, :BankCode, :IcheMoney, :DataNo, :Kita, :BankNo, "
        ":IcheDate, :IcheYebu, :NapbuNo, :State)");
    // The copy's totals come from the lines it got, not from the source's
    // results.
    GroupTotals totals;
    while (read.next()) {
        const CopiedLine l = lineOf(read);
        bindAll(write, {{":AptID", b.AptID},
                        {":Bigo", l.Bigo},
                        {":DongInt", l.DongInt},
                        {":Dong", l.Dong},
                        {":HoInt", l.HoInt},
                        {":Ho", l.Ho},
                        {":BankCode", l.BankCode},
                        {":IcheMoney", l.IcheMoney},
                        {":DataNo", l.DataNo},
                        {":Kita", l.Kita},
                        {":BankNo", l.BankNo},
                        {":IcheDate", dateValue(b.IcheDate)},
                        {":IcheYebu", store::StoredValue(store::LineOutcome::Pending)},
                        {":NapbuNo", l.NapbuNo},
                        {":State", store::StoredValue(BatchState::Waiting)}});
        if (!write.exec()) {
            m_ui.ShowError(store::WriteErrorMessage(write.lastError()));
            return std::nullopt;
        }
        totals.add(l.BankCode.toString(), l.IcheMoney.toLongLong());
        m_ui.StepProgress();
    }

    QSqlError error;
    const std::optional<QVariant> state =
        settleState
            ? std::optional(store::StoredValue(totals.totNo > 0 ? BatchState::Waiting : b.State))
            : std::nullopt;
    if (!writeTotals(m_dm.db(), b.AptID, totals, state, &error) || !tx.commit()) {
        m_ui.ShowError(store::WriteErrorMessage(error.isValid() ? error : m_dm.db().lastError()));
        return std::nullopt;
    }
    m_ui.CloseWait();
    return b.AptID;
}

std::optional<int> Batches::Copy(int aptId, bool failedOnly)
{
    m_ui.ShowWaitMessage(QStringLiteral("자료 복사 준비 중..."));
    const std::optional<TransferBatch> src = Find(aptId);
    if (!src) {
        m_ui.CloseWait();
        return std::nullopt;
    }
    TransferBatch b = copiedHead(*src);
    b.BankCode = src->BankCode;
    b.SendDate = shell::Today();

    QSqlQuery read(m_dm.db());
    read.setForwardOnly(true);
    read.prepare(
        QString("SELECT Bigo, DongInt, Dong, HoInt, Ho, BankCode, IcheMoney, DataNo, Kita, "
                "BankNo\nFrom Apt2\nWHERE %1%2 ORDER BY Apt2ID")
            .arg(store::IndexedMatch("Apt2", "AptID", ":id"),
                 failedOnly ? "\nAND IcheYebu = :failed" : ""));
    read.bindValue(":id", aptId);
    QSqlQuery count(m_dm.db());
    count.prepare(QString("SELECT Count(*) FROM Apt2 WHERE %1%2")
                      .arg(store::IndexedMatch("Apt2", "AptID", ":id"),
                           failedOnly ? " AND IcheYebu = :failed" : ""));
    count.bindValue(":id", aptId);
    if (failedOnly)
        for (QSqlQuery* q : {&read, &count})
            q->bindValue(":failed", store::StoredValue(store::LineOutcome::Failed));
    return copyBatch(
        b, count, read, QStringLiteral("자료 복사 처리 중..."),
        [](const QSqlQuery& r) {
            return CopiedLine{r.value(0),
                              r.value(1),
                              r.value(2),
                              r.value(3),
                              r.value(4),
                              r.value(5),
                              r.value(6),
                              r.value(7),
                              r.value(8),
                              store::StripHyphens(r.value(9).toString()),
                              r.value(2).toString() + r.value(4).toString()};
        },
        false);
}

std::optional<QList<GroupEntry>> Batches::Groups() const
{
    QList<GroupEntry> out;
    QSqlQuery q(m_dm.db());
    q.setForwardOnly(true);
    if (!q.exec("SELECT AptID, GroupName, TotNo FROM GroupAp1 ORDER BY rowid")) {
        m_ui.ShowError(store::ReadFailureMessage(q.lastError()));
        return std::nullopt;
    }
    while (q.next())
        out.append({q.value(0).toInt(), q.value(1).toString(), q.value(2).toInt()});
    return out;
}

std::optional<int> Batches::CopyGroup(int groupId)
{
    m_ui.ShowWaitMessage(QStringLiteral("그룹 자료 복사 준비 중..."));
    const std::optional<TransferGroup> g = transfer::Groups(m_dm, m_ui).Find(groupId);
    if (!g) {
        m_ui.CloseWait();
        return std::nullopt;
    }
    TransferBatch b = copiedHead(*g);
    b.TotNo = g->TotNo;
    b.TotMoney = g->TotMoney;
    b.BankCode = "35";

    QSqlQuery count(m_dm.db());
    count.prepare("SELECT Count(*) FROM GroupAp2 WHERE AptID = :id");
    count.bindValue(":id", groupId);
    QSqlQuery read(m_dm.db());
    read.setForwardOnly(true);
    read.prepare(
        "SELECT BankCode, Bigo, DongInt, Dong, HoInt, Ho, BankNo, IcheMoney, NapbuNo, Kita\n"
        "FROM GroupAp2\nWHERE AptID = :id ORDER BY Apt2ID");
    read.bindValue(":id", groupId);
    // A group's lines are numbered afresh in the batch.
    int dataNo = 0;
    return copyBatch(
        b, count, read, QStringLiteral("그룹 자료 복사 처리 중..."),
        [&dataNo](const QSqlQuery& r) {
            return CopiedLine{r.value(1), r.value(2), r.value(3), r.value(4),
                              r.value(5), r.value(0), r.value(7), ++dataNo,
                              r.value(9), r.value(6), r.value(8)};
        },
        true);
}

bool Batches::RecomputeTotals(int aptId)
{
    const std::optional<TransferBatch> b = Find(aptId);
    if (!b || !b->editable())
        return false;
    m_ui.ShowWaitMessage(QStringLiteral("자료 집계 처리 중..."));
    // Bank codes group as the request files group them; a line without a
    // bank code counts in the total only.
    const QString group = codes::BankGroupSql("BankCode");
    QSqlQuery q(m_dm.db());
    q.prepare(QString("SELECT 1 Part, Count(*) Cnt, Sum(IcheMoney) Won FROM Apt2 WHERE %2\n"
                      "UNION ALL\n"
                      "SELECT 2, Count(*), Sum(IcheMoney) FROM Apt2 WHERE %3\n"
                      "  AND %1 = :central\n"
                      "UNION ALL\n"
                      "SELECT 3, Count(*), Sum(IcheMoney) FROM Apt2 WHERE %4\n"
                      "  AND %1 = :member\n"
                      "UNION ALL\n"
                      "SELECT 4, Count(*), Sum(IcheMoney) FROM Apt2 WHERE %5\n"
                      "  AND %1 = :other\n"
                      "ORDER BY 1")
                  .arg(group, store::IndexedMatch("Apt2", "AptID", ":a1"),
                       store::IndexedMatch("Apt2", "AptID", ":a2"),
                       store::IndexedMatch("Apt2", "AptID", ":a3"),
                       store::IndexedMatch("Apt2", "AptID", ":a4")));
    bindAll(q, {{":a1", aptId},
                {":a2", aptId},
                {":a3", aptId},
                {":a4", aptId},
                {":central", int(codes::BankGroup::Central)},
                {":member", int(codes::BankGroup::Member)},
                {":other", int(codes::BankGroup::Other)}});
    if (!q.exec()) {
        m_ui.ShowError(store::ReadFailureMessage(q.lastError()));
        return false;
    }
    int counts[4] = {0, 0, 0, 0};
    qint64 sums[4] = {0, 0, 0, 0};
    // A sum over no lines is NULL in SQL; the batch stores 0.
    for (int i = 0; i < 4 && q.next(); ++i) {
        counts[i] = q.value(1).toInt();
        sums[i] = q.value(2).isNull() ? 0 : q.value(2).toLongLong();
    }
    BatchState state = b->State;
    if (counts[0] > 0 && state != BatchState::Unset && state <= BatchState::NoData)
        state = BatchState::Waiting;
    else if (counts[0] == 0)
        state = BatchState::NoData;

    const GroupTotals t{counts[0], counts[1], counts[2], counts[3],
                        sums[0],   sums[1],   sums[2],   sums[3]};
    QSqlError error;
    const bool ok = writeTotals(m_dm.db(), aptId, t, store::StoredValue(state), &error);
    if (!ok)
        m_ui.ShowError(store::WriteErrorMessage(error));
    else
        m_ui.CloseWait();
    return ok;
}

InstitutionCheck TakeInstitution(const Batches& batches, shell::Ui& ui, TransferHead& row)
{
    const platform::Result<std::optional<codes::Institution>> found =
        batches.Institution(row.GiganID10);
    if (!found) {
        ui.ShowError(found.error());
        return {std::nullopt, false};
    }
    const std::optional<codes::Institution>& chosen = *found;
    if (!chosen) {
        ui.ShowInfo(QStringLiteral("기관명 항목이 누락되었습니다. "));
        return {std::nullopt, false};
    }
    if (row.Pass.isEmpty()) {
        ui.ShowInfo(QStringLiteral("기관비밀번호 항목이 누락되었습니다."));
        return {std::nullopt, true};
    }
    if (row.Pass != chosen->APPASS) {
        ui.ShowInfo(QStringLiteral("기관비밀번호가 틀립니다."));
        return {std::nullopt, true};
    }
    row.GiganID10 = row.GiganID10.trimmed();
    row.IcheEDate = row.IcheDate;
    row.MoBankNo = chosen->BankNoApt;
    return {chosen, false};
}

} // namespace transfer
