#include "store/follow_up_actions.h"

namespace store {

int StoredValue(FollowUpAction action)
{
    return int(action);
}

std::optional<FollowUpAction> FollowUpActionFrom(int stored)
{
    switch (stored) {
    case int(FollowUpAction::None):
    case int(FollowUpAction::Represent):
    case int(FollowUpAction::ReviewConsent):
        return FollowUpAction(stored);
    default:
        return std::nullopt;
    }
}

QString FollowUpActionText(FollowUpAction action)
{
    switch (action) {
    case FollowUpAction::Represent:
        return QStringLiteral("재청구");
    case FollowUpAction::ReviewConsent:
        return QStringLiteral("동의 확인");
    case FollowUpAction::None:
        break;
    }
    return QStringLiteral("없음");
}

std::optional<FollowUpAction> FollowUpActionNamed(const QString& text)
{
    for (FollowUpAction a :
         {FollowUpAction::None, FollowUpAction::Represent, FollowUpAction::ReviewConsent})
        if (QString(text).remove(' ') == FollowUpActionText(a).remove(' '))
            return a;
    return std::nullopt;
}

const QList<FollowUpSeed>& FollowUpSeeds()
{
    using A = FollowUpAction;
    static const QList<FollowUpSeed> seeds = {
        {"1000", A::Represent},     {"1002", A::Represent},     {"0107", A::ReviewConsent},
        {"0204", A::ReviewConsent}, {"1001", A::ReviewConsent}, {"1003", A::ReviewConsent},
        {"1012", A::ReviewConsent}, {"1013", A::ReviewConsent}, {"1014", A::ReviewConsent},
        {"2002", A::ReviewConsent}, {"2006", A::ReviewConsent}, {"2007", A::ReviewConsent},
        {"2008", A::ReviewConsent},
    };
    return seeds;
}

} // namespace store
