#include "store/states.h"

#include <gtest/gtest.h>

using namespace store;

// A state read from a row and written back is the value that was stored;
// NULL stays NULL and an unknown number is kept, with no text.
TEST(States, BatchStatesSurviveARoundTripThroughTheirStoredValues)
{
    const QList<QVariant> stored = {QVariant(), -1, 0, 1, 2, 3, 7, -5};
    for (const QVariant& v : stored) {
        const QVariant back = StoredValue(BatchStateFrom(v));
        EXPECT_EQ(back.isNull(), v.isNull()) << v.toString().toStdString();
        EXPECT_EQ(back.toInt(), v.toInt()) << v.toString().toStdString();
    }
    EXPECT_EQ(BatchStateText(BatchStateFrom(7)), QString());
    EXPECT_EQ(BatchStateText(BatchStateFrom(QVariant())), QString());
    // Older rows without a state count as not sent, unknown higher ones as gone.
    EXPECT_LT(BatchStateFrom(QVariant()), BatchState::Sent);
    EXPECT_GE(BatchStateFrom(7), BatchState::Sent);
}

TEST(States, OnlyStoredConsentStatusesAndEvidenceStatesAreRead)
{
    struct Case
    {
        QVariant stored;
        std::optional<ConsentStatus> status;
    };
    const QList<Case> consents = {{QVariant(), std::nullopt},
                                  {QStringLiteral("x"), std::nullopt},
                                  {-1, std::nullopt},
                                  {8, std::nullopt},
                                  {0, ConsentStatus::RegisterWaiting},
                                  {QStringLiteral("2"), ConsentStatus::Registered},
                                  {7, ConsentStatus::CancelFailed}};
    for (const Case& c : consents)
        EXPECT_EQ(ConsentStatusFrom(c.stored), c.status) << c.stored.toString().toStdString();
    EXPECT_EQ(ConsentStatusText(ConsentStatus::Registering), QStringLiteral("등록중"));
    EXPECT_EQ(ConsentStatusLineText(ConsentStatus::Registering), QStringLiteral("등록진행중"));
    EXPECT_EQ(ConsentStatusLineText(std::nullopt), QStringLiteral("미등록"));
    EXPECT_EQ(SendingStatus(ConsentStatus::RegisterWaiting), ConsentStatus::Registering);
    EXPECT_EQ(SendingStatus(ConsentStatus::CancelWaiting), ConsentStatus::Cancelling);
    EXPECT_EQ(SendingStatus(ConsentStatus::Registered), std::nullopt);

    EXPECT_EQ(EvidenceSendStateFrom(QString()), EvidenceSendState::NotSent);
    EXPECT_EQ(EvidenceSendStateFrom(QStringLiteral("1")), EvidenceSendState::Sent);
    EXPECT_EQ(EvidenceSendStateFrom(QStringLiteral("3")), std::nullopt);
    EXPECT_EQ(LineOutcomeFrom(QStringLiteral("X")), LineOutcome::Failed);
    EXPECT_EQ(LineOutcomeFrom(QStringLiteral("1")), std::nullopt);
}
