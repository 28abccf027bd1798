#pragma once

#include <QString>
#include <QVariant>
#include <climits>
#include <optional>

// The states the tables keep as numbers or letters. This is the one place
// that knows their stored values and the texts shown for them; everything
// else compares the types and binds StoredValue() into its statements.
namespace store {

// State of a batch (Apt1), of its lines (Apt2) and of the saved groups
// (GroupAp1/GroupAp2). Ordered as a batch goes, so "sent or later" is
// `state >= BatchState::Sent`. A stored number outside the list is kept as
// it is (no text).
enum class BatchState : int {
    Unset = INT_MIN, // NULL in an older row: no text, written back as NULL
    NoData = -1,     // "이체자료없음"
    Blocked = 0,     // "송신불가"
    Waiting = 1,     // "송신대기"
    Sent = 2,        // "송신완료"
    Received = 3,    // "수신완료"
};

BatchState BatchStateFrom(const QVariant& stored);
QVariant StoredValue(BatchState state);
// "이체자료없음" … "수신완료"; empty for Unset and any other value.
QString BatchStateText(BatchState state);

// A line's outcome (Apt2.IcheYebu). The result files may also write another
// character of the centre's, which none of these names; its text comes from
// the outcome table CodeS like theirs.
enum class LineOutcome {
    Pending,     // "Z": not yet answered
    Transferred, // "Y"
    Failed,      // "X"
};

QString StoredValue(LineOutcome outcome);
// nullopt for a character other than the three.
std::optional<LineOutcome> LineOutcomeFrom(const QString& stored);

// A consent's Status (TongRegister): a consent waits, is sent and comes back
// registered or refused, cancelled or refused.
enum class ConsentStatus : int {
    RegisterWaiting = 0, // "등록대기"
    Registering = 1,     // "등록중"
    Registered = 2,      // "등록완료"
    RegisterFailed = 3,  // "등록오류"
    CancelWaiting = 4,   // "해지대기"
    Cancelling = 5,      // "해지중"
    Cancelled = 6,       // "해지완료"
    CancelFailed = 7,    // "해지오류"
};
inline constexpr int kConsentStatusCount = 8;

// nullopt for NULL, a text that is no number, or a number outside the list.
std::optional<ConsentStatus> ConsentStatusFrom(const QVariant& stored);
int StoredValue(ConsentStatus status);
// The consent register's text; "미등록" for none.
QString ConsentStatusText(std::optional<ConsentStatus> status);
// The lines screen's consent column spells the two sending states
// "등록진행중" and "해지진행중"; "미등록" for none.
QString ConsentStatusLineText(std::optional<ConsentStatus> status);
// Where a consent goes when its request is sent: waiting to sending.
// nullopt for every other status.
std::optional<ConsentStatus> SendingStatus(ConsentStatus status);

// Evidential.SENDSTATE: whether an evidence file was uploaded and used.
enum class EvidenceSendState {
    NotSent, // "0" or empty: "전송전"
    Sent,    // "1": "사용전"
    Used,    // "2": "사용후"
};

QString StoredValue(EvidenceSendState state);
// The empty text counts as NotSent; nullopt for any other text.
std::optional<EvidenceSendState> EvidenceSendStateFrom(const QString& stored);
QString EvidenceSendStateText(EvidenceSendState state);

} // namespace store
