#pragma once

#include "store/states.h"

#include <QString>
#include <QVariant>

// The consent status machine: a consent waits, is sent and comes back
// registered or refused, cancelled or refused (store::ConsentStatus).
namespace consent {

using store::ConsentStatus;

// The status text of a stored value; "미등록" for an empty or unknown value.
QString StatusText(const QVariant& status);

// The bank's result code that counts as accepted even without "Y": a
// duplicate request, the consent is already registered at the bank.
inline constexpr int kDuplicateRequestCode = 2005;

// Where an answered request ends: registered or cancelled when accepted,
// else refused.
ConsentStatus AnsweredStatus(bool registration, bool accepted);

// True when the bank accepted: "Y", or the duplicate-request code.
bool Accepted(bool yes, int resultCode);

} // namespace consent
