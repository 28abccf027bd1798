#include "store/states.h"

namespace store {
namespace {

// Each state with its stored value and its text, in one row.

struct BatchStateRow
{
    BatchState state;
    const char* text;
};
constexpr BatchStateRow kBatchStates[] = {
    {BatchState::NoData, "이체자료없음"}, {BatchState::Blocked, "송신불가"},
    {BatchState::Waiting, "송신대기"},    {BatchState::Sent, "송신완료"},
    {BatchState::Received, "수신완료"},
};

struct LineOutcomeRow
{
    LineOutcome outcome;
    char stored;
};
constexpr LineOutcomeRow kLineOutcomes[] = {
    {LineOutcome::Pending, 'Z'}, {LineOutcome::Transferred, 'Y'}, {LineOutcome::Failed, 'X'}};

struct EvidenceSendStateRow
{
    EvidenceSendState state;
    char stored;
    const char* text;
};
constexpr EvidenceSendStateRow kEvidenceSendStates[] = {
    {EvidenceSendState::NotSent, '0', "전송전"},
    {EvidenceSendState::Sent, '1', "사용전"},
    {EvidenceSendState::Used, '2', "사용후"},
};

template <typename Row, std::size_t N, typename Match>
const Row* findRow(const Row (&rows)[N], Match match)
{
    for (const Row& row : rows)
        if (match(row))
            return &row;
    return nullptr;
}

} // namespace

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
    const auto* row = findRow(kBatchStates, [state](const auto& r) { return r.state == state; });
    return row ? QString::fromUtf8(row->text) : QString();
}

QString StoredValue(LineOutcome outcome)
{
    const auto* row =
        findRow(kLineOutcomes, [outcome](const auto& r) { return r.outcome == outcome; });
    return row ? QString(QChar(row->stored)) : QString();
}

std::optional<LineOutcome> LineOutcomeFrom(const QString& stored)
{
    const auto* row = findRow(kLineOutcomes, [&stored](const auto& r) {
        return stored.size() == 1 && stored.front() == QChar(r.stored);
    });
    return row ? std::optional(row->outcome) : std::nullopt;
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
    const auto* row =
        findRow(kEvidenceSendStates, [state](const auto& r) { return r.state == state; });
    return row ? QString(QChar(row->stored)) : QString();
}

std::optional<EvidenceSendState> EvidenceSendStateFrom(const QString& stored)
{
    if (stored.isEmpty())
        return EvidenceSendState::NotSent;
    const auto* row = findRow(kEvidenceSendStates, [&stored](const auto& r) {
        return stored.size() == 1 && stored.front() == QChar(r.stored);
    });
    return row ? std::optional(row->state) : std::nullopt;
}

QString EvidenceSendStateText(EvidenceSendState state)
{
    const auto* row =
        findRow(kEvidenceSendStates, [state](const auto& r) { return r.state == state; });
    return row ? QString::fromUtf8(row->text) : QString();
}

} // namespace store
