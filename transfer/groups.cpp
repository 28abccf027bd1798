#include "transfer/groups.h"

#include "calendar/business_calendar.h"
#include "codes/institution.h"
#include "shell/clock.h"
#include "shell/ui.h"
#include "store/database.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"
#include "transfer/row_values.h"

#include <QSqlError>
#include <QSqlQuery>

namespace transfer {
namespace {

using namespace detail;

const char* const kGroupColumns =
    "g.AptID, g.GroupName, g.GiganID, g.GiganID10, g.FileGubun, g.BankCode, g.MoBankNo, "
    "g.IcheDate, g.IcheEDate, g.SendDate, g.Pass, g.State, g.TotNo, g.TotMoney, g.Bigo, "
    "(SELECT u.Name FROM UserCode u WHERE u.APID10 = g.GiganID10 LIMIT 1)";

// The ORDER BY of each GroupOrder, in the enum's order.
const char* const kGroupOrderBy[] = {"g.rowid", "g.GroupName COLLATE NOCASE, g.rowid",
                                     "g.GiganID10 COLLATE NOCASE, g.rowid"};
static_assert(std::size(kGroupOrderBy) == int(GroupOrder::Institution) + 1);

TransferGroup groupFrom(const QSqlQuery& q)
{
    TransferGroup g;
    g.AptID = q.value(0).toInt();
    g.GroupName = q.value(1).toString();
    readHeadColumns(g, q, 2);
    g.State = store::BatchStateFrom(q.value(11));
    g.TotNo = q.value(12).toInt();
    g.TotMoney = q.value(13).toLongLong();
    g.Bigo = q.value(14).toString();
    g.GiganName = q.value(15).toString();
    return g;
}

} // namespace

TransferBatch TransferGroup::lineHead() const
{
    TransferBatch b;
    b.AptID = AptID;
    b.IcheDate = IcheDate;
    b.State = State;
    return b;
}

bool GroupSearch::matches(const TransferGroup& g) const
{
    return g.GroupName.startsWith(name) &&
           (giganId.isEmpty() || g.GiganID10.compare(giganId, Qt::CaseInsensitive) == 0);
}

int FindGroup(const QList<TransferGroup>& groups, int from, const GroupSearch& search)
{
    for (int i = std::max(0, from); i < groups.size(); ++i)
        if (search.matches(groups[i]))
            return i;
    return -1;
}

Groups::Groups(store::TDM1& dm, shell::Ui& ui) : m_dm(dm), m_ui(ui) {}

std::optional<QList<TransferGroup>> Groups::List(GroupOrder order) const
{
    return readRows(m_ui, m_dm.db(),
                    QString("SELECT %1 FROM GroupAp1 g ORDER BY %2")
                        .arg(kGroupColumns, kGroupOrderBy[int(order)]),
                    groupFrom);
}

std::optional<TransferGroup> Groups::Find(int aptId) const
{
    const std::optional<QList<TransferGroup>> found = readRows(
        m_ui, m_dm.db(),
        QString("SELECT %1 FROM GroupAp1 g WHERE g.AptID = :id").arg(kGroupColumns), groupFrom,
        aptId);
    return !found || found->isEmpty() ? std::nullopt : std::optional(found->first());
}

std::optional<TransferGroup> Groups::NewGroup() const
{
    const std::optional<TransferBatch> b = Batches(m_dm, m_ui).NewBatch();
    if (!b)
        return std::nullopt;
    TransferGroup g;
    g.GroupName = QStringLiteral("이름없음");
    const std::optional<int> number = m_dm.NextGroupNumber();
    if (!number)
        return std::nullopt;
    g.AptID = *number;
    g.GiganID10 = b->GiganID10;
    g.GiganID = b->GiganID10.left(8);
    g.MoBankNo = b->MoBankNo;
    const std::optional<QDate> date = calendar::NextBusinessDay(m_dm.db(), m_ui, shell::Today());
    if (!date)
        return std::nullopt;
    g.IcheDate = g.IcheEDate = *date;
    g.State = BatchState::NoData;
    return g;
}

GroupSave Groups::Save(TransferGroup& row, bool isNew)
{
    using F = GroupField;
    if (row.GroupName.trimmed().isEmpty())
        return shell::RefuseSave(m_ui, "그룹명 항목이 누락되었습니다.", F::Name);
    const InstitutionCheck check = TakeInstitution(Batches(m_dm, m_ui), m_ui, row);
    if (!check.chosen)
        return {false, check.passwordRefused ? F::Password : F::Institution};
    row.GiganName = check.chosen->Name;
    const bool stored = isNew ? insertHead(row)
                              : updateHead(m_ui, m_dm.db(), kGroupTables.head, row, "GroupName",
                                           row.GroupName.trimmed());
    return {stored, stored ? F::None : F::Name};
}

bool Groups::insertHead(TransferGroup& g)
{
    QSqlQuery q(m_dm.db());
    // The number is taken in the insert itself (insertedNumber).
    q.prepare("INSERT INTO GroupAp1 (GroupName, AptID, GiganID, GiganID10, FileGubun, BankCode, "
              "MoBankNo, IcheDate, IcheEDate, SendDate, Pass, State, TotNo, TotMoney, Bigo) "
              "SELECT :GroupName, Coalesce(Max(AptID), 0) + 1, :GiganID, :GiganID10, :FileGubun, "
              ":BankCode, :MoBankNo, :IcheDate, :IcheEDate, :SendDate, :Pass, :State, :TotNo, "
              ":TotMoney, :Bigo FROM GroupAp1");
    bindHeadColumns(q, g);
    q.bindValue(":GroupName", g.GroupName.trimmed());
    const std::optional<int> number = detail::insertHead(m_ui, m_dm.db(), q, "GroupAp1");
    if (number)
        g.AptID = *number;
    return bool(number);
}

bool Groups::Delete(const QList<int>& aptIds, const QString& caption)
{
    return DeleteHeads(m_dm, m_ui, kGroupTables, aptIds, caption);
}

bool Groups::ToggleState(int aptId)
{
    const std::optional<TransferGroup> g = Find(aptId);
    return g && ToggleHeadState(m_dm, m_ui, kGroupTables, aptId, g->State);
}

std::optional<int> Groups::Copy(int aptId)
{
    m_ui.ShowWaitMessage(QStringLiteral("자료 복사 준비 중..."));
    std::optional<TransferGroup> g = Find(aptId);
    if (!g) {
        m_ui.CloseWait();
        return std::nullopt;
    }
    store::TransactionGuard tx(m_dm.db());
    g->GroupName = QStringLiteral("이름없음");
    const std::optional<QDate> date = calendar::NextBusinessDay(m_dm.db(), m_ui, shell::Today());
    if (date)
        g->IcheDate = g->IcheEDate = *date;
    g->SendDate = shell::Today();
    g->State = BatchState::Unset;
    if (!date || !tx.active() || !insertHead(*g)) {
        m_ui.CloseWait();
        return std::nullopt;
    }
    QSqlQuery count(m_dm.db());
    count.prepare("SELECT Count(*) FROM GroupAp2 WHERE AptID = :id");
    count.bindValue(":id", aptId);
    const int n = count.exec() && count.next() ? count.value(0).toInt() : 0;
    m_ui.ShowProgress(QStringLiteral("자료 복사 처리 중..."), 0, n, true);
    QSqlQuery copy(m_dm.db());
    copy.prepare("INSERT INTO GroupAp2 (AptID, IcheDate, IcheYebu, State, Bigo, DongInt, Dong, "
                 "HoInt, Ho, BankCode, BankNo, IcheMoney, NapbuNo, DataNo, Kita) SELECT :new, "
                 ":date, :pending, :waiting, Bigo, DongInt, Dong, HoInt, Ho, BankCode, BankNo, "
                 "IcheMoney, NapbuNo, DataNo, Kita FROM GroupAp2 WHERE AptID = :old ORDER BY "
                 "Apt2ID");
    bindAll(copy, {{":new", g->AptID},
                   {":date", dateValue(g->IcheDate)},
                   {":pending", store::StoredValue(store::LineOutcome::Pending)},
                   {":waiting", store::StoredValue(BatchState::Waiting)},
                   {":old", aptId}});
    if (!copy.exec() || !tx.commit()) {
        m_ui.ShowError(store::WriteErrorMessage(
            copy.lastError().isValid() ? copy.lastError() : m_dm.db().lastError()));
        return std::nullopt;
    }
    m_ui.CloseWait();
    return g->AptID;
}

bool Groups::RecomputeTotals(int aptId)
{
    m_ui.ShowWaitMessage(QStringLiteral("자료 집계 처리 중..."));
    const std::optional<TransferGroup> g = Find(aptId);
    if (!g || !g->editable()) {
        m_ui.CloseWait();
        return false;
    }
    QSqlQuery sum(m_dm.db());
    sum.prepare("SELECT Count(*) Cnt, Sum(IcheMoney) Won FROM GroupAp2 WHERE AptID = :id");
    sum.bindValue(":id", aptId);
    QSqlQuery q(m_dm.db());
    q.prepare("UPDATE GroupAp1 SET TotNo = :n, TotMoney = :m WHERE AptID = :id");
    if (!sum.exec() || !sum.next()) {
        m_ui.ShowError(store::ReadFailureMessage(sum.lastError()));
        return false;
    }
    bindAll(q, {{":n", sum.value(0).toInt()}, {":m", sum.value(1).toLongLong()}, {":id", aptId}});
    if (!q.exec()) {
        m_ui.ShowError(store::WriteErrorMessage(q.lastError()));
        return false;
    }
    m_ui.CloseWait();
    return true;
}

} // namespace transfer
