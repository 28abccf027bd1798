#include "store/states.h"

namespace store {

BatchState BatchStateFrom(const QVariant& stored)
{
    return stored.isNull() ? BatchState::Unset : BatchState(stored.toInt());
}

QVariant StoredValue(BatchState state)
{
    return state == BatchState::Unset ? QVariant() : QVariant(int(state));
}

QString BatchStateText(BatchState state)
{
    switch (state) {
    case BatchState::NoData:
        return QStringLiteral("이체자료없음");
    case BatchState::Blocked:
        return QStringLiteral("송신불가");
    case BatchState::Waiting:
        return QStringLiteral("송신대기");
    case BatchState::Sent:
        return QStringLiteral("송신완료");
    case BatchState::Received:
        return QStringLiteral("수신완료");
    case BatchState::Unset:
        break;
    }
    return {};
}

QString StoredValue(LineOutcome outcome)
{
    switch (outcome) {
    case LineOutcome::Pending:
        return QStringLiteral("Z");
    case LineOutcome::Transferred:
        return QStringLiteral("Y");
    case LineOutcome::Failed:
        return QStringLiteral("X");
    }
    return {};
}

std::optional<LineOutcome> LineOutcomeFrom(const QString& stored)
{
    for (LineOutcome o : {LineOutcome::Pending, LineOutcome::Transferred, LineOutcome::Failed})
        if (stored == StoredValue(o))
            return o;
    return std::nullopt;
}

std::optional<ConsentStatus> ConsentStatusFrom(const QVariant& stored)
{
    bool ok = false;
    const int value = stored.toInt(&ok);
    if (stored.isNull() || !ok || value < 0 || value >= kConsentStatusCount)
        return std::nullopt;
    return ConsentStatus(value);
}

int StoredValue(ConsentStatus status)
{
    return int(status);
}

namespace {

QString statusText(std::optional<ConsentStatus> status, const char* const (&texts)[8])
{
    return status ? QString::fromUtf8(texts[StoredValue(*status)]) : QStringLiteral("미등록");
}

} // namespace

QString ConsentStatusText(std::optional<ConsentStatus> status)
{
    static const char* const texts[] = {"등록대기", "등록중", "등록완료", "등록오류",
                                        "해지대기", "해지중", "해지완료", "해지오류"};
    return statusText(status, texts);
}

QString ConsentStatusLineText(std::optional<ConsentStatus> status)
{
    static const char* const texts[] = {"등록대기", "등록진행중", "등록완료", "등록오류",
                                        "해지대기", "해지진행중", "해지완료", "해지오류"};
    return statusText(status, texts);
}

std::optional<ConsentStatus> SendingStatus(ConsentStatus status)
{
    switch (status) {
    case ConsentStatus::RegisterWaiting:
        return ConsentStatus::Registering;
    case ConsentStatus::CancelWaiting:
        return ConsentStatus::Cancelling;
    default:
        return std::nullopt;
    }
}

QString StoredValue(EvidenceSendState state)
{
    switch (state) {
    case EvidenceSendState::NotSent:
        return QStringLiteral("0");
    case EvidenceSendState::Sent:
        return QStringLiteral("1");
    case EvidenceSendState::Used:
        return QStringLiteral("2");
    }
    return {};
}

std::optional<EvidenceSendState> EvidenceSendStateFrom(const QString& stored)
{
    if (stored.isEmpty())
        return EvidenceSendState::NotSent;
    for (EvidenceSendState s :
         {EvidenceSendState::NotSent, EvidenceSendState::Sent, EvidenceSendState::Used})
        if (stored == StoredValue(s))
            return s;
    return std::nullopt;
}

QString EvidenceSendStateText(EvidenceSendState state)
{
    switch (state) {
    case EvidenceSendState::NotSent:
        return QStringLiteral("전송전");
    case EvidenceSendState::Sent:
        return QStringLiteral("사용전");
    case EvidenceSendState::Used:
        return QStringLiteral("사용후");
    }
    return {};
}

} // namespace store
