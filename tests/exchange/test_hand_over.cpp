// The hand-over journal: a send cut off between the link taking its files
// and the send's record is settled from the link's report, never built and
// sent again; and the answers kept from the link are applied exactly once.

#include "edi/link.h"
#include "edi/result_files.h"
#include "exchange/edi_flow.h"
#include "exchange/hand_over.h"
#include "exchange/send_files.h"
#include "shell/clock.h"
#include "tests/exchange/exchange_fixture.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using exchange_tests::FakeLink;
using exchange_tests::RecordingView;
using Outcome = exchange::EdiFlow::Outcome;

class HandOver : public exchange_tests::ExchangeTest
{
protected:
    void SetUp() override
    {
        ExchangeTest::SetUp();
        addInstitution(QStringLiteral("초록마을아파트"), "B123456789", "BB100", "BB200");
        addBatch(1, "A123456789", "2024-03-20");
        addLine(1, "101", "1203", "13", "301-0123-4567-81", 10000);
        addLine(1, "102", "301", "11", "352-1234-5678-93", 30000);
        addBatch(2, "B123456789", "2024-03-20");
        addLine(2, "201", "101", "04", "12345678901", 5000);
    }

    // A send built and entered in the journal; what reaches the link is the test's.
    qint64 handOver(int files = 2)
    {
        built = exchange::BuildSendFiles(db(), ui, workspace(), shell::Now(), 7);
        EXPECT_TRUE(built.ok);
        EXPECT_EQ(built.requestFiles.size(), files);
        const platform::Result<qint64> journal = exchange::OpenHandOver(db(), built, shell::Now());
        EXPECT_TRUE(journal.ok()) << journal.error().toStdString();
        return journal ? *journal : 0;
    }

    QString states() { return dump("SELECT AptID, State FROM Apt1 ORDER BY AptID"); }
    QString lineStates() { return dump("SELECT AptID, State FROM Apt2 ORDER BY Apt2ID"); }
    QString journal() { return dump("SELECT Closed IS NOT NULL, Outcome FROM SendJournal"); }
    QStringList outbox() { return filesIn("Mailbox/Outbox"); }

    exchange::SendFiles built;
    RecordingView view;
};

TEST_F(HandOver, AnOpenEntryIsSettledByWhatTheReportShows)
{
    struct Case
    {
        const char* name;
        QStringList delivered; // of Apt_1, Apt_2
        const char* states;
        const char* lines;
        const char* journal;
    };
    const Case cases[] = {
        {"both went", {"Apt_1", "Apt_2"}, "1|2\n2|2", "1|2\n1|2\n2|2", "1|송신"},
        {"none went", {}, "1|1\n2|1", "1|1\n1|1\n2|1", "1|송신되지 않음"},
        {"one went", {"Apt_2"}, "1|1\n2|2", "1|1\n1|1\n2|2", "1|일부 송신"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exec("UPDATE Apt1 SET State = 1");
        exec("UPDATE Apt2 SET State = 1");
        exec("DELETE FROM SendJournal");
        handOver();
        // What the link is not to take is moved out of its way.
        for (const char* name : {"Apt_1", "Apt_2"})
            if (!c.delivered.contains(name))
                QFile::remove(workspace().sendDir + name);
        if (!c.delivered.isEmpty()) {
            ASSERT_TRUE(edi::LinkSend(mailbox()).ok);
        }

        const exchange::HandOverCheck check =
            exchange::SettleOpenHandOvers(*dm, mailbox(), workspace());
        EXPECT_TRUE(check.clear) << check.message.toStdString();
        EXPECT_EQ(states(), c.states);
        EXPECT_EQ(lineStates(), c.lines);
        EXPECT_EQ(journal(), c.journal);
        EXPECT_EQ(check.settled.size(), 2);
        // The mailbox's journal is cleared for the next case's report.
        QFile::remove(path("Mailbox/Journal.txt"));
        QDir(path("Mailbox/Outbox")).removeRecursively();
    }
}

TEST_F(HandOver, ASendAfterACutOffHandOverSendsOnlyWhatDidNotGo)
{
    handOver();
    QFile::remove(workspace().sendDir + "Apt_1");
    ASSERT_TRUE(edi::LinkSend(mailbox()).ok); // Apt_2 went, then the program died
    ASSERT_EQ(outbox(), QStringList{"Apt_2"});

    auto flow = std::make_unique<exchange::EdiFlow>(*dm, ui, view, exchange::ModeSend, mailbox(),
                                                    workspace());
    ui.answerAsk(shell::Ui::Yes); // batch 2 of the same date went
    flow->Activate();
    ASSERT_TRUE(flow->ready()) << flow->message().toStdString();
    EXPECT_EQ(flow->rows().size(), 1); // batch 1 alone is built again
    flow->SendClick();
    EXPECT_EQ(flow->outcome(), Outcome::Done) << flow->message().toStdString();
    EXPECT_EQ(states(), "1|2\n2|2");
    // Batch 2's file reached the centre once.
    const QStringList out = outbox();
    EXPECT_EQ(out.size(), 2);
    EXPECT_EQ(out.filter("Apt_").size(), 2);
    const QStringList infos = ui.texts("info");
    EXPECT_EQ(infos.filter(QStringLiteral("송신 결과로 전송 여부를 확인하였습니다")).size(), 1)
        << infos.join('\n').toStdString();
}

TEST_F(HandOver, WithoutTheReportTheOpenBatchesAreHeldAndNamed)
{
    handOver();
    ASSERT_TRUE(edi::LinkSend(mailbox()).ok);

    FakeLink down;
    down.receiveCode = -1; // the report cannot be had
    auto flow =
        std::make_unique<exchange::EdiFlow>(*dm, ui, view, exchange::ModeSend, down, workspace());
    flow->Activate();
    EXPECT_FALSE(flow->ready());
    EXPECT_EQ(flow->outcome(), Outcome::Failed);
    EXPECT_TRUE(
        flow->message().contains(QStringLiteral("기관 A123456789, 이체일 2024-03-20, 묶음번호 1")))
        << flow->message().toStdString();
    EXPECT_TRUE(flow->message().contains(QStringLiteral("묶음번호 2")));
    EXPECT_EQ(down.calls, 1); // only the report was asked for
    EXPECT_EQ(states(), "1|1\n2|1");
    EXPECT_EQ(journal(), "0|");

    // Once the report can be had the entry is settled and nothing goes twice.
    const exchange::HandOverCheck check =
        exchange::SettleOpenHandOvers(*dm, mailbox(), workspace());
    EXPECT_TRUE(check.clear);
    EXPECT_EQ(states(), "1|2\n2|2");
}

TEST_F(HandOver, AnEarlierSendOfTheSameFileInTheSameMinuteIsNotTakenForThisOne)
{
    // The first send of batch 1 went and was recorded.
    exec("UPDATE Apt1 SET State = 0 WHERE AptID = 2");
    handOver(1);
    ASSERT_TRUE(edi::LinkSend(mailbox()).ok);
    ASSERT_TRUE(exchange::RecordSend(db(), built, 1).isEmpty());
    // The same batch, set back to waiting by the user, is built again in
    // the same minute, with the same size, but never reaches the link.
    exec("UPDATE Apt1 SET State = 1 WHERE AptID = 1");
    handOver(1);
    const exchange::HandOverCheck check =
        exchange::SettleOpenHandOvers(*dm, mailbox(), workspace());
    EXPECT_TRUE(check.clear);
    EXPECT_EQ(states(), "1|1\n2|0");
}

TEST_F(HandOver, TheEvidenceOfARegistrationSentIsUsedOnceTheSendIsRecorded)
{
    addConsent("A123456789", "13", "3010123456781", "1011203", 0, "800101");
    addSentEvidence("A123456789", "13", "3010123456781", "1011203");
    handOver(3);
    QFile::remove(workspace().sendDir + "Apt_1");
    QFile::remove(workspace().sendDir + "Apt_2");
    ASSERT_TRUE(edi::LinkSend(mailbox()).ok); // the consent file went, then the program died
    EXPECT_EQ(dump("SELECT SENDSTATE FROM Evidential"), "1");

    EXPECT_TRUE(exchange::SettleOpenHandOvers(*dm, mailbox(), workspace()).clear);
    EXPECT_EQ(dump("SELECT Status FROM TongRegister"), "1");
    EXPECT_EQ(dump("SELECT SENDSTATE FROM Evidential"), "2");
}

} // namespace
