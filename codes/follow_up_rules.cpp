#include "codes/follow_up_rules.h"

#include "shell/log.h"
#include "shell/ui.h"
#include "store/database.h"
#include "store/transaction_guard.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

namespace codes {

QString FollowUpRule::capText() const
{
    return action == FollowUpAction::Represent ? QString::number(cap) : QString();
}

FollowUpRule FollowUpRuleSet::of(const QString& code) const
{
    const QString key = code.trimmed();
    const auto found = m_rules.constFind(key);
    if (found != m_rules.constEnd())
        return *found;
    FollowUpRule none;
    none.code = key;
    return none;
}

namespace {

// Rows of FollowUpRule with the code's text: (code, text, action, cap).
const char* const kRulesSql =
    "SELECT r.ResultCode, Coalesce(p.Name, ''), r.Action, r.Cap FROM FollowUpRule r "
    "LEFT JOIN CodeP p ON p.id = r.ResultCode";

platform::Result<QList<FollowUpRule>> readRules(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    QList<FollowUpRule> out;
    while (q.next()) {
        FollowUpRule r;
        r.code = q.value(0).toString().trimmed();
        r.text = q.value(1).toString();
        // A number no release wrote (a hand repair) asks for nothing.
        r.action = store::FollowUpActionFrom(q.value(2).toInt()).value_or(FollowUpAction::None);
        r.cap = q.value(3).isNull() ? store::kDefaultRepresentCap : q.value(3).toInt();
        out.append(r);
    }
    if (q.lastError().isValid())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    return out;
}

} // namespace

platform::Result<FollowUpRuleSet> ReadFollowUpRules(const QSqlDatabase& db)
{
    platform::Result<QList<FollowUpRule>> rows = readRules(db, kRulesSql);
    if (!rows)
        return platform::Fail(rows.error());
    QHash<QString, FollowUpRule> byCode;
    for (const FollowUpRule& r : *rows)
        byCode.insert(r.code, r);
    return FollowUpRuleSet(std::move(byCode));
}

FollowUpRules::FollowUpRules(QSqlDatabase db, shell::Ui& ui, QString title)
    : m_db(std::move(db)), m_ui(ui), m_title(std::move(title))
{
}

platform::Result<QList<FollowUpRule>> FollowUpRules::List() const
{
    platform::Result<QList<FollowUpRule>> rules = readRules(m_db, kRulesSql);
    if (!rules)
        return rules;
    QList<FollowUpRule> out = *rules;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec("SELECT id, Name FROM CodeP WHERE id NOT IN (SELECT ResultCode FROM FollowUpRule)"))
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    while (q.next()) {
        FollowUpRule r;
        r.code = q.value(0).toString().trimmed();
        r.text = q.value(1).toString();
        out.append(r);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const FollowUpRule& a, const FollowUpRule& b) { return a.code < b.code; });
    return out;
}

FollowUpSave FollowUpRules::Save(const FollowUpRule& rule)
{
    using F = FollowUpField;
    static const QRegularExpression fourDigits("^[0-9]{4}$");
    if (!fourDigits.match(rule.code).hasMatch())
        return shell::RefuseSave(m_ui, QStringLiteral("처리결과 코드는 숫자 4자리입니다."),
                                 F::Code);
    const bool represent = rule.action == FollowUpAction::Represent;
    if (represent && (rule.cap < 1 || rule.cap > store::kMaxRepresentCap))
        return shell::RefuseSave(
            m_ui, QString("재청구 한도는 1회부터 %1회까지입니다.").arg(store::kMaxRepresentCap),
            F::Cap);

    // 없음 is kept as a row too: a reorganisation refills the table from the
    // blank database's seeds, and only a row of the branch's own says no.
    QSqlQuery q(m_db);
    // An edit updates the row, so the change record keeps the old action.
    q.prepare("INSERT INTO FollowUpRule (ResultCode, Action, Cap) VALUES (?, ?, ?) "
              "ON CONFLICT (ResultCode) DO UPDATE SET Action = excluded.Action, Cap = excluded.Cap");
    q.addBindValue(rule.code);
    q.addBindValue(store::StoredValue(rule.action));
    q.addBindValue(represent ? QVariant(rule.cap) : QVariant());
    if (!q.exec()) {
        m_ui.ShowError(store::WriteErrorMessage(q.lastError()));
        return {false, F::Action};
    }
    shell::WriteLog(QString("%1 저장, 코드 %2, 조치 %3%4")
                        .arg(m_title, rule.code, rule.actionText(),
                             represent ? QString(", 한도 %1").arg(rule.cap) : QString()));
    return {true, F::None};
}

bool FollowUpRules::Delete(const QStringList& codes)
{
    if (codes.isEmpty())
        return false;
    if (!m_ui.Confirm(
            QString("선택한 %1개 코드의 조치를 \"없음\"으로 하시겠습니까?").arg(codes.size()),
            false))
        return false;
    store::TransactionGuard tx(m_db);
    if (!tx.active()) {
        m_ui.ShowError(store::WriteErrorMessage(tx.error()));
        return false;
    }
    QSqlQuery q(m_db);
    q.prepare("INSERT INTO FollowUpRule (ResultCode, Action, Cap) VALUES (?, ?, NULL) "
              "ON CONFLICT (ResultCode) DO UPDATE SET Action = excluded.Action, Cap = NULL");
    for (const QString& code : codes) {
        q.bindValue(0, code);
        q.bindValue(1, store::StoredValue(FollowUpAction::None));
        if (!q.exec()) {
            m_ui.ShowError(store::WriteErrorMessage(q.lastError()));
            return false;
        }
    }
    if (!tx.commit()) {
        m_ui.ShowError(store::WriteErrorMessage(tx.error()));
        return false;
    }
    for (const QString& code : codes)
        shell::WriteLog(QString("%1 삭제, 코드 %2").arg(m_title, code));
    return true;
}

} // namespace codes
