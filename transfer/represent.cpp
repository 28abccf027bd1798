#include "transfer/represent.h"

#include "calendar/business_calendar.h"
#include "calendar/check_send_date.h"
#include "codes/follow_up_rules.h"
#include "shell/clock.h"
#include "shell/log.h"
#include "shell/ui.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"
#include "transfer/lines.h"
#include "transfer/row_values.h"

#include <QSqlError>
#include <QSqlQuery>

namespace transfer {
namespace {

using namespace detail;

// A line presented again counts only while it is there: a re-presentation
// deleted before it went out presented nothing. The batch number is
// compared too, so that a line number taken again after a reorganisation
// is not mistaken for the deleted line.
const char* const kLiveCopy = "JOIN Apt2 n ON n.Apt2ID = p.Apt2ID AND n.AptID = p.AptID";

// The failed lines of `plan.source` sorted by the rules into `plan`.
platform::Result<> choose(const QSqlDatabase& db, RepresentPlan& plan)
{
    platform::Result<codes::FollowUpRuleSet> rules = codes::ReadFollowUpRules(db);
    if (!rules)
        return platform::Fail(rules.error());

    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(
        QString("SELECT a.Apt2ID, Coalesce(r.OrigApt2ID, a.Apt2ID), a.IcheMoney, "
                "Coalesce(a.ResultID4, ''),\n"
                "  EXISTS (SELECT 1 FROM RepresentedLine p %1 WHERE p.FromApt2ID = a.Apt2ID),\n"
                "  (SELECT Count(*) FROM RepresentedLine p %1\n"
                "   WHERE p.OrigApt2ID = Coalesce(r.OrigApt2ID, a.Apt2ID))\n"
                "FROM Apt2 a LEFT JOIN RepresentedLine r ON r.Apt2ID = a.Apt2ID AND "
                "r.AptID = a.AptID\n"
                "WHERE a.%2 AND a.IcheYebu = :failed ORDER BY a.Apt2ID")
            .arg(kLiveCopy, store::IndexedMatch("Apt2", "AptID", ":id")));
    q.bindValue(":id", plan.source.AptID);
    q.bindValue(":failed", store::StoredValue(store::LineOutcome::Failed));
    if (!q.exec())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    plan.lines.clear();
    plan.amount = 0;
    plan.failed = plan.atCap = plan.already = 0;
    while (q.next()) {
        ++plan.failed;
        if (q.value(4).toBool()) {
            ++plan.already;
            continue;
        }
        const codes::FollowUpRule rule = rules->of(q.value(3).toString());
        if (rule.action != store::FollowUpAction::Represent)
            continue;
        if (q.value(5).toInt() >= rule.cap) {
            ++plan.atCap;
            continue;
        }
        plan.lines.append(q.value(0).toLongLong());
        plan.amount += q.value(2).toLongLong();
    }
    if (q.lastError().isValid())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    return {};
}

QString won(qint64 amount)
{
    return QStringLiteral("₩") + FormatAmount(amount);
}

// What the plan leaves out, a line for each kind; empty when nothing.
QString leftOut(const RepresentPlan& plan)
{
    QStringList notes;
    if (plan.atCap > 0)
        notes.append(QString("재청구 한도에 이른 %1건은 제외합니다.").arg(plan.atCap));
    if (plan.already > 0)
        notes.append(QString("이미 재청구한 %1건은 제외합니다.").arg(plan.already));
    if (plan.notRepresented() > 0)
        notes.append(
            QString("재청구 대상 코드가 아닌 %1건은 제외합니다.").arg(plan.notRepresented()));
    return notes.join('\r');
}

QString sourceName(const TransferBatch& b)
{
    return QString("이체자료 %1 (%2, 이체일 %3)")
        .arg(b.AptID)
        .arg(b.GiganID10, b.IcheDate.toString(Qt::ISODate));
}

} // namespace

Representation::Representation(store::TDM1& dm, shell::Ui& ui) : m_dm(dm), m_ui(ui) {}

std::optional<RepresentPlan> Representation::Plan(int aptId, const QDate& date) const
{
    QSqlQuery exists(m_dm.db());
    exists.prepare("SELECT Count(*) FROM Apt1 WHERE AptID = :id");
    exists.bindValue(":id", aptId);
    if (!exists.exec() || !exists.next()) {
        m_ui.ShowError(store::ReadFailureMessage(exists.lastError()));
        return std::nullopt;
    }
    const std::optional<TransferBatch> source =
        exists.value(0).toInt() > 0 ? Batches(m_dm, m_ui).Find(aptId) : std::nullopt;
    if (!source) {
        m_ui.ShowError(exists.value(0).toInt() > 0
                           ? store::ReadFailureMessage(m_dm.db().lastError())
                           : QString("이체자료 %1 이(가) 없습니다.").arg(aptId));
        return std::nullopt;
    }
    if (source->State != BatchState::Received) {
        m_ui.ShowError(
            QString("%1은(는) \"%2\" 상태입니다. 수신완료된 자료만 재청구할 수 있습니다.")
                .arg(sourceName(*source), source->STAT()));
        return std::nullopt;
    }

    RepresentPlan plan;
    plan.source = *source;
    const QDate today = shell::Today();
    // The calendar's message has been shown when it could not be read.
    std::optional<QString> refused;
    if (date.isValid()) {
        plan.date = date;
        refused = TransferDateRefusal(m_dm.db(), m_ui, plan.date);
    } else {
        // The first business day after today that a new batch may take.
        std::optional<QDate> next = calendar::NextBusinessDay(m_dm.db(), m_ui, today);
        for (;;) {
            if (!next)
                return std::nullopt;
            plan.date = *next;
            refused = TransferDateRefusal(m_dm.db(), m_ui, plan.date);
            if (!refused || refused->isEmpty() ||
                plan.date > today.addDays(calendar::kTransferWindowDays))
                break;
            next = calendar::NextBusinessDay(m_dm.db(), m_ui, plan.date);
        }
    }
    if (!refused)
        return std::nullopt;
    if (!refused->isEmpty()) {
        m_ui.ShowError(*refused + " (" + plan.date.toString(Qt::ISODate) + ")");
        return std::nullopt;
    }
    if (const platform::Result<> chosen = choose(m_dm.db(), plan); !chosen) {
        m_ui.ShowError(chosen.error());
        return std::nullopt;
    }
    return plan;
}

Representation::Made Representation::Make(const RepresentPlan& given)
{
    Made made{std::nullopt, given, false};
    RepresentPlan& plan = made.plan;
    const auto fail = [&](const QString& message) {
        m_ui.ShowError(message);
        made.failed = true;
        made.aptId.reset();
        return made;
    };
    store::TransactionGuard tx(m_dm.db());
    if (!tx.active())
        return fail(store::WriteErrorMessage(tx.error()));
    // Chosen again under the transaction: what the question showed may
    // have been made meanwhile.
    if (const platform::Result<> chosen = choose(m_dm.db(), plan); !chosen)
        return fail(chosen.error());
    if (plan.lines.isEmpty())
        return made;

    // The bank-group totals of the lines, for the head.
    QSqlQuery banks(m_dm.db());
    banks.prepare("SELECT BankCode, IcheMoney FROM Apt2 WHERE Apt2ID = :line");
    GroupTotals totals;
    for (const qint64 line : plan.lines) {
        banks.bindValue(":line", line);
        if (!banks.exec() || !banks.next())
            return fail(store::ReadFailureMessage(banks.lastError()));
        totals.add(banks.value(0).toString(), banks.value(1).toLongLong());
    }

    TransferBatch b;
    b.GiganID = plan.source.GiganID;
    b.GiganID10 = plan.source.GiganID10;
    b.FileGubun = plan.source.FileGubun;
    b.BankCode = plan.source.BankCode;
    b.MoBankNo = plan.source.MoBankNo;
    b.Pass = plan.source.Pass;
    b.IcheDate = b.IcheEDate = plan.date;
    b.SendDate = shell::Today();
    // Never sent by itself: the user looks at it and marks it 송신대기.
    b.State = BatchState::Blocked;
    b.TotNo = totals.totNo;
    b.TotMoney = totals.totMon;
    b.E1 = totals;
    b.Bigo = QString("불능자료 재청구 (이체자료 %1, %2)")
                 .arg(plan.source.AptID)
                 .arg(plan.source.IcheDate.toString(Qt::ISODate));

    QSqlQuery head(m_dm.db());
    head.prepare("INSERT INTO Apt1 (AptID, GiganID, GiganID10, FileGubun, BankCode, MoBankNo, "
                 "IcheDate, IcheEDate, SendDate, Pass, E1TotNo, E1TotMon, E1JunNo, E1JunMon, "
                 "E1JoNo, E1JoMon, E1SucNo, E1SucMon, State, TotNo, TotMoney, Bigo) SELECT "
                 "Coalesce(Max(AptID), 0) + 1, :GiganID, :GiganID10, :FileGubun, :BankCode, "
                 ":MoBankNo, :IcheDate, :IcheEDate, :SendDate, :Pass, :E1TotNo, :E1TotMon, "
                 ":E1JunNo, :E1JunMon, :E1JoNo, :E1JoMon, :E1SucNo, :E1SucMon, :State, :TotNo, "
                 ":TotMoney, :Bigo FROM Apt1");
    bindHeadColumns(head, b);
    bindAll(head, {{":E1TotNo", totals.totNo},
                   {":E1TotMon", totals.totMon},
                   {":E1JunNo", totals.junNo},
                   {":E1JunMon", totals.junMon},
                   {":E1JoNo", totals.joNo},
                   {":E1JoMon", totals.joMon},
                   {":E1SucNo", totals.sucNo},
                   {":E1SucMon", totals.sucMon}});
    if (!head.exec())
        return fail(store::WriteErrorMessage(head.lastError()));
    const platform::Result<int> number = insertedNumber(m_dm.db(), head, "Apt1");
    if (!number)
        return fail(number.error());

    // Each line as it was asked for, on the new date, unanswered and
    // numbered afresh; then the line it re-presents.
    QSqlQuery copy(m_dm.db());
    copy.prepare("INSERT INTO Apt2 (AptID, DongInt, Dong, HoInt, Ho, BankCode, BankNo, IcheDate, "
                 "IcheMoney, IcheYebu, NapbuNo, State, DataNo, Bigo, Kita) SELECT :AptID, "
                 "DongInt, Dong, HoInt, Ho, BankCode, BankNo, :IcheDate, IcheMoney, :pending, "
                 "NapbuNo, :State, :DataNo, Bigo, Kita FROM Apt2 WHERE Apt2ID = :from");
    QSqlQuery link(m_dm.db());
    link.prepare("INSERT INTO RepresentedLine (Apt2ID, AptID, FromApt2ID, OrigApt2ID) SELECT "
                 ":line, :AptID, :from, Coalesce((SELECT OrigApt2ID FROM RepresentedLine "
                 "WHERE Apt2ID = :from2 AND AptID = :source), :from3)");
    int dataNo = 0;
    for (const qint64 from : plan.lines) {
        bindAll(copy, {{":AptID", *number},
                       {":IcheDate", dateValue(plan.date)},
                       {":pending", store::StoredValue(store::LineOutcome::Pending)},
                       {":State", store::StoredValue(BatchState::Blocked)},
                       {":DataNo", ++dataNo},
                       {":from", from}});
        if (!copy.exec() || copy.numRowsAffected() != 1)
            return fail(store::WriteErrorMessage(copy.lastError()));
        bindAll(link, {{":line", copy.lastInsertId()},
                       {":AptID", *number},
                       {":from", from},
                       {":from2", from},
                       {":source", plan.source.AptID},
                       {":from3", from}});
        if (!link.exec())
            return fail(store::WriteErrorMessage(link.lastError()));
    }
    if (!tx.commit())
        return fail(store::WriteErrorMessage(tx.error()));
    shell::WriteLog(QString("불능자료 재청구, 원자료 %1, 이체자료 %2, 이체일 %3, %4건, %5")
                        .arg(plan.source.AptID)
                        .arg(*number)
                        .arg(plan.date.toString(Qt::ISODate))
                        .arg(plan.lines.size())
                        .arg(won(plan.amount)));
    made.aptId = *number;
    return made;
}

QString RepresentQuestion(const RepresentPlan& plan)
{
    QString text = QString("%1의 불능자료 %2건, %3을(를) 이체일 %4로 재청구하시겠습니까?")
                       .arg(sourceName(plan.source))
                       .arg(plan.lines.size())
                       .arg(won(plan.amount), plan.date.toString(Qt::ISODate));
    if (const QString notes = leftOut(plan); !notes.isEmpty())
        text += "\r\r" + notes;
    return text;
}

QString RepresentNothingText(const RepresentPlan& plan)
{
    QString text = plan.already > 0
                       ? QString("%1의 불능자료는 이미 재청구하였습니다. 새로 만든 자료가 "
                                 "없습니다.")
                             .arg(sourceName(plan.source))
                       : QString("%1에 재청구할 불능자료가 없습니다.").arg(sourceName(plan.source));
    if (const QString notes = leftOut(plan); !notes.isEmpty())
        text += "\r" + notes;
    return text;
}

QString RepresentDoneText(const RepresentPlan& plan, int aptId)
{
    QString text = QString("불능자료 %1건, %2을(를) 이체일 %3의 이체자료 %4(으)로 만들었습니다.\r"
                           "\"송신불가\" 상태이니 확인 후 \"송신대기\"로 바꾸어 송신하십시오.")
                       .arg(plan.lines.size())
                       .arg(won(plan.amount), plan.date.toString(Qt::ISODate))
                       .arg(aptId);
    if (const QString notes = leftOut(plan); !notes.isEmpty())
        text += "\r" + notes;
    return text;
}

RepresentRun RepresentFailedLines(store::TDM1& dm, shell::Ui& ui, int aptId, const QDate& date,
                                  bool ask)
{
    RepresentRun run;
    Representation representation(dm, ui);
    const std::optional<RepresentPlan> plan = representation.Plan(aptId, date);
    if (!plan)
        return run;
    run.plan = *plan;
    if (plan->lines.isEmpty()) {
        ui.ShowInfo(RepresentNothingText(*plan));
        run.outcome = RepresentOutcome::Nothing;
        return run;
    }
    if (ask && !ui.Confirm(RepresentQuestion(*plan), false)) {
        run.outcome = RepresentOutcome::Declined;
        return run;
    }
    const Representation::Made made = representation.Make(*plan);
    run.plan = made.plan;
    if (made.failed)
        return run;
    if (!made.aptId) {
        ui.ShowInfo(RepresentNothingText(made.plan));
        run.outcome = RepresentOutcome::Nothing;
        return run;
    }
    ui.ShowInfo(RepresentDoneText(made.plan, *made.aptId));
    run.outcome = RepresentOutcome::Made;
    run.aptId = *made.aptId;
    return run;
}

} // namespace transfer
