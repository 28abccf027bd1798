#pragma once

#include <QString>
#include <QVariant>

// The consent status machine: a consent waits (0 or 4), is sent (1 or 5)
// and comes back registered or refused, cancelled or refused (2, 3, 6, 7).
namespace consent {

enum ConsentStatus : int {
    RegisterWaiting = 0, // "등록대기"
    Registering = 1,     // "등록중"
    Registered = 2,      // "등록완료"
    RegisterFailed = 3,  // "등록오류"
    CancelWaiting = 4,   // "해지대기"
    Cancelling = 5,      // "해지중"
    Cancelled = 6,       // "해지완료"
    CancelFailed = 7,    // "해지오류"
};

// The status text; "미등록" for an empty or unknown value.
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
