#include "consent/consents_to_review.h"
#include "store/database.h"

#include "codes/follow_up_rules.h"
#include "store/consent_key.h"
#include "store/states.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <tuple>

namespace consent {

platform::Result<QList<ConsentToReview>> ConsentsToReview(const QSqlDatabase& db)
{
    const platform::Result<codes::FollowUpRuleSet> rules = codes::ReadFollowUpRules(db);
    if (!rules)
        return platform::Fail(rules.error());

    // The consents by the key a line is matched with, field by field.
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare("SELECT Giganid, Bankcd, Bankno, NapbuNO, NAME FROM TongRegister "
              "WHERE Status IS NULL OR Status NOT IN (?, ?, ?)");
    for (const store::ConsentStatus s :
         {store::ConsentStatus::CancelWaiting, store::ConsentStatus::Cancelling,
          store::ConsentStatus::Cancelled})
        q.addBindValue(store::StoredValue(s));
    if (!q.exec())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    QHash<QString, ConsentToReview> consents;
    while (q.next()) {
        ConsentToReview c;
        c.giganId = q.value(0).toString();
        c.bank = q.value(1).toString();
        c.account = q.value(2).toString();
        c.payer = q.value(3).toString();
        c.name = q.value(4).toString();
        consents.insert(store::ConsentMatchKey(c.giganId, c.bank, c.account, c.payer), c);
    }
    if (q.lastError().isValid())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    if (consents.isEmpty())
        return QList<ConsentToReview>{};

    // Every answered line, oldest first, so that the last one seen for a
    // consent is its latest. A line not yet answered says nothing about the
    // account yet.
    struct Latest
    {
        bool failed = false;
        QString code;
        QDate date;
    };
    QHash<QString, Latest> latest;
    q.prepare("SELECT b.GiganID10, a.BankCode, a.BankNo, Coalesce(a.Dong, '') || "
              "Coalesce(a.Ho, ''), a.IcheYebu, Coalesce(a.ResultID4, ''), b.IcheDate\n"
              "FROM Apt2 a JOIN Apt1 b ON b.AptID = a.AptID\n"
              "WHERE a.IcheYebu IN (?, ?)\n"
              "ORDER BY b.IcheDate, a.Apt2ID");
    q.addBindValue(store::StoredValue(store::LineOutcome::Transferred));
    q.addBindValue(store::StoredValue(store::LineOutcome::Failed));
    if (!q.exec())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    const QString failed = store::StoredValue(store::LineOutcome::Failed);
    while (q.next()) {
        const QString key = store::ConsentMatchKey(q.value(0).toString(), q.value(1).toString(),
                                                   q.value(2).toString(), q.value(3).toString());
        if (!consents.contains(key))
            continue;
        latest[key] = Latest{q.value(4).toString() == failed, q.value(5).toString().trimmed(),
                             QDate::fromString(q.value(6).toString().left(10), Qt::ISODate)};
    }
    if (q.lastError().isValid())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));

    QList<ConsentToReview> out;
    for (auto it = latest.cbegin(); it != latest.cend(); ++it) {
        if (!it->failed)
            continue;
        const codes::FollowUpRule rule = rules->of(it->code);
        if (rule.action != store::FollowUpAction::ReviewConsent)
            continue;
        ConsentToReview c = consents.value(it.key());
        c.code = it->code;
        c.codeText = rule.text;
        c.transferDate = it->date;
        out.append(c);
    }
    std::sort(out.begin(), out.end(), [](const ConsentToReview& a, const ConsentToReview& b) {
        return std::tie(a.giganId, a.payer, a.bank, a.account) <
               std::tie(b.giganId, b.payer, b.bank, b.account);
    });
    return out;
}

} // namespace consent
