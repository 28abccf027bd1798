#include "consent/consent_status.h"

namespace consent {

QString StatusText(const QVariant& status)
{
    return store::ConsentStatusText(store::ConsentStatusFrom(status));
}

ConsentStatus AnsweredStatus(bool registration, bool accepted)
{
    if (registration)
        return accepted ? ConsentStatus::Registered : ConsentStatus::RegisterFailed;
    return accepted ? ConsentStatus::Cancelled : ConsentStatus::CancelFailed;
}

bool Accepted(bool yes, int resultCode)
{
    return yes || resultCode == kDuplicateRequestCode;
}

} // namespace consent
