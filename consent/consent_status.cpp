#include "consent/consent_status.h"

namespace consent {

QString StatusText(const QVariant& status)
{
    static const char* const texts[] = {"등록대기", "등록중", "등록완료", "등록오류",
                                        "해지대기", "해지중", "해지완료", "해지오류"};
    bool ok = false;
    const int value = status.toInt(&ok);
    if (status.isNull() || !ok || value < 0 || value > 7)
        return QStringLiteral("미등록");
    return QString::fromUtf8(texts[value]);
}

ConsentStatus AnsweredStatus(bool registration, bool accepted)
{
    if (registration)
        return accepted ? Registered : RegisterFailed;
    return accepted ? Cancelled : CancelFailed;
}

bool Accepted(bool yes, int resultCode)
{
    return yes || resultCode == kDuplicateRequestCode;
}

} // namespace consent
