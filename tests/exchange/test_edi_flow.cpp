// The transmission flow on its own: what a send builds, sends and records,
// what a receive applies, and what each failure leaves unchanged.

#include "calendar/check_send_date.h"
#include "calendar/send_cutoffs.h"
#include "edi/transfer_request.h"
#include "exchange/edi_flow.h"
#include "exchange/missing_consents.h"
#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/log.h"
#include "tests/exchange/exchange_fixture.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using exchange::EdiFlow;
using exchange_tests::FakeLink;
using exchange_tests::RecordingView;
using Outcome = exchange::EdiFlow::Outcome;

class Flow : public exchange_tests::ExchangeTest
{
protected:
    // Batch 1 of the registered institution with two lines; the consent of
    // line 1 waits, that of line 2 is registered, another waits for its
    // cancellation.
    void addMonth()
    {
        addBatch(1, "A123456789", "2024-03-20");
        addLine(1, "101", "1203", "13", "301-0123-4567-81", 10000);
        addLine(1, "102", "301", "11", "352-1234-5678-93", 30000);
        addConsent("A123456789", "13", "3010123456781", "1011203", 0, "800101");
        addSentEvidence("A123456789", "13", "3010123456781", "1011203");
        addConsent("A123456789", "11", "3521234567893", "102301", 2, "800101");
        addConsent("A123456789", "04", "12345678901", "103101", 4, "800101");
    }

    std::unique_ptr<EdiFlow> flow(int mode) { return flow(mode, mailbox()); }
    std::unique_ptr<EdiFlow> flow(int mode, edi::Link& link)
    {
        return std::make_unique<EdiFlow>(*dm, ui, view, mode, link, workspace());
    }

    QString states() { return dump("SELECT AptID, State FROM Apt1 ORDER BY AptID"); }
    QString lineStates() { return dump("SELECT Apt2ID, State FROM Apt2 ORDER BY Apt2ID"); }
    QString consentStates()
    {
        return dump("SELECT Bankcd, Status FROM TongRegister ORDER BY Bankcd");
    }

    RecordingView view;
};

TEST_F(Flow, ALineAddedAfterTheBuildIsNotMarkedSent)
{
    addBatch(1, "A123456789", "2024-03-20");
    const qint64 written = addLine(1, "101", "1203", "11", "352-1234-5678-93", 30000);
    FakeLink link;
    auto f = flow(exchange::ModeSend, link);
    f->Activate();
    ASSERT_TRUE(f->ready()) << f->message().toStdString();
    // Entered into the batch while the request file waited for the Send button.
    const qint64 late = addLine(1, "101", "1204", "13", "301-0123-4567-81", 5000);
    f->SendClick();
    EXPECT_EQ(f->outcome(), Outcome::Done) << f->message().toStdString();
    EXPECT_EQ(states(), "1|2");
    EXPECT_EQ(lineStates(), QString("%1|2\n%2|1").arg(written).arg(late));
}

TEST_F(Flow, ASendRecordsOnlyWhatThisRunWrote)
{
    addMonth();
    // Held back: its institution is not registered.
    addBatch(2, "Z999999999", "2024-03-20");
    addLine(2, "201", "101", "04", "12345678901", 5000);

    auto f = flow(exchange::ModeSend);
    f->Activate();
    ASSERT_TRUE(f->ready()) << f->message().toStdString();
    EXPECT_EQ(f->caption(), QStringLiteral("송신"));
    EXPECT_EQ(f->listLabel(), QStringLiteral("송신 자료 내역 : "));
    EXPECT_EQ(f->message(), QStringLiteral("\"송신\" 버튼을 누르세요."));
    EXPECT_TRUE(f->buttons().sendEnabled);
    EXPECT_FALSE(f->buttons().closeVisible);
    const QList<QStringList> rows = {
        {QStringLiteral("푸른마을아파트"), QStringLiteral("출금동의신청"), "NA200", "2", ""},
        {QStringLiteral("푸른마을아파트"), "Veltrin", "AB100", "2", "\\40,000"}};
    EXPECT_EQ(f->rows(), rows);
    // Line 1's consent is still waiting; the other batch's line has none.
    ASSERT_EQ(view.previews, 1);
    ASSERT_EQ(view.shownMissing.size(), 2);
    EXPECT_EQ(view.shownMissing[0].bankNo, "301-0123-4567-81");
    EXPECT_EQ(view.shownMissing[0].napbuNo, "1011203");
    EXPECT_EQ(view.shownMissing[1].giganId, "Z999999999");

    f->SendClick();
    EXPECT_EQ(f->message(), QStringLiteral("송신 성공."));
    EXPECT_FALSE(f->messageIsError());
    EXPECT_EQ(f->outcome(), Outcome::Done);
    EXPECT_TRUE(f->buttons().closeEnabled);
    EXPECT_EQ(filesIn("Mailbox/Outbox"), (QStringList{"Apt_1", "Register_1"}));
    EXPECT_EQ(states(), "1|2\n2|1");
    EXPECT_EQ(lineStates(), "1|2\n2|2\n3|1");
    EXPECT_EQ(consentStates(), "04|5\n11|2\n13|1");
    const QString log = shell::FromCp949(readFile(shell::LogFilePath().mid(home().size())));
    EXPECT_TRUE(log.contains(QStringLiteral("송신, 푸른마을아파트, Veltrin, AB100, 2, \\40,000")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("송신, 푸른마을아파트, 출금동의신청, NA200, 2, \r\n")));
}

struct HeldConsentCase
{
    const char* name;
    QDateTime now;
    bool consentSendingOn;
    QString message; // shown instead of building the consent file
};

class HeldConsents : public Flow, public ::testing::WithParamInterface<HeldConsentCase>
{
};

TEST_P(HeldConsents, TransfersGoButConsentsStayWaiting)
{
    const HeldConsentCase& c = GetParam();
    shell::FreezeNow(c.now);
    addMonth();
    if (!c.consentSendingOn)
        exec("UPDATE BankCode SET SENDVERSION = '0' WHERE Id = '12'");

    auto f = flow(exchange::ModeSend);
    f->Activate();
    ASSERT_TRUE(f->ready());
    f->SendClick();
    EXPECT_EQ(f->outcome(), Outcome::Done);
    EXPECT_EQ(filesIn("Mailbox/Outbox"), QStringList{"Apt_1"});
    EXPECT_EQ(states(), "1|2");
    EXPECT_EQ(consentStates(), "04|4\n11|2\n13|0");
    EXPECT_EQ(view.previews, c.consentSendingOn ? 1 : 0);
    if (!c.message.isEmpty()) {
        EXPECT_TRUE(ui.saw("info", c.message));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Exchange, HeldConsents,
    ::testing::Values(HeldConsentCase{"Holiday", QDateTime(QDate(2024, 3, 16), QTime(10, 0)), true,
                                      calendar::ConsentHolidayMessage()},
                      HeldConsentCase{"AtSixPm", QDateTime(QDate(2024, 3, 15), QTime(18, 0)), true,
                                      calendar::ConsentCutoffMessage()},
                      HeldConsentCase{"ConsentSendingOff",
                                      QDateTime(QDate(2024, 3, 15), QTime(10, 0)),
                                      false,
                                      {}}),
    [](const auto& info) { return info.param.name; });

TEST_F(Flow, SendAndReceiveWithNothingToSendBecomesAReceive)
{
    ui.answerConfirm(true);
    auto f = flow(exchange::ModeSendReceive);
    EXPECT_EQ(f->sendCaption(), QStringLiteral(" 송수신"));
    f->Activate();
    EXPECT_TRUE(ui.saw(
        "confirm", QStringLiteral("송신할 자료가 없습니다.\r\r수신 처리만 진행하시겠습니까 ?")));
    EXPECT_EQ(f->caption(), QStringLiteral("수신"));
    EXPECT_EQ(f->listLabel(), QStringLiteral("수신 자료 내역 : "));
    // Nothing waits in the mailbox: the link's own words, in red.
    EXPECT_EQ(f->message(), QStringLiteral("수신할 파일이 없습니다"));
    EXPECT_TRUE(f->messageIsError());
    EXPECT_FALSE(f->buttons().sendVisible);
    EXPECT_TRUE(f->buttons().closeEnabled);
}

TEST_F(Flow, SendAndReceiveDeclinedEndsWithoutCallingTheLink)
{
    ui.answerConfirm(false);
    FakeLink link;
    auto f = flow(exchange::ModeSendReceive, link);
    f->Activate();
    EXPECT_EQ(f->caption(), QStringLiteral("송수신"));
    EXPECT_EQ(f->message(), QStringLiteral("송신할 자료가 없습니다."));
    EXPECT_EQ(link.calls, 0);
    EXPECT_EQ(f->outcome(), Outcome::Nothing);
}

TEST_F(Flow, SendAndReceiveRecordsTheSendAndSaysWhenTheReceivePartFailed)
{
    struct Case
    {
        qint32 receiveCode;
        QString message;
        bool error;
    };
    for (const Case& c : {Case{0, QStringLiteral("수신된 자료가 없습니다."), false},
                          Case{-10, QStringLiteral("수신 자료 처리중 오류 발생"), true}}) {
        SCOPED_TRACE(c.receiveCode);
        exec("DELETE FROM Apt1");
        exec("DELETE FROM Apt2");
        exec("DELETE FROM TongRegister");
        addMonth();
        FakeLink link;
        link.receiveCode = c.receiveCode;
        auto f = flow(exchange::ModeSendReceive, link);
        f->Activate();
        ASSERT_TRUE(f->ready());
        EXPECT_EQ(f->message(), QStringLiteral("\"송수신\" 버튼을 누르세요."));
        f->SendClick();
        EXPECT_EQ(f->message(), c.message);
        EXPECT_EQ(f->messageIsError(), c.error);
        EXPECT_EQ(states(), "1|2");
        EXPECT_EQ(consentStates(), "04|5\n11|2\n13|1");
    }
}

TEST_F(Flow, AFailedLinkSendChangesNoState)
{
    struct Case
    {
        qint32 code;
        QString message;
    };
    for (const Case& c : {Case{-20, QStringLiteral("디렉토리 설정이 되어 있지 않습니다")},
                          Case{0, QStringLiteral("송신할 파일이 없습니다")},
                          Case{-1, QStringLiteral("처리가 중단되었습니다")}}) {
        SCOPED_TRACE(c.code);
        exec("DELETE FROM Apt1");
        exec("DELETE FROM Apt2");
        exec("DELETE FROM TongRegister");
        // The fake's report is never there: each case's entry stays open.
        exec("DELETE FROM SendJournal");
        addMonth();
        FakeLink link;
        link.sendCode = c.code;
        auto f = flow(exchange::ModeSend, link);
        f->Activate();
        f->SendClick();
        EXPECT_EQ(f->message(), c.message);
        EXPECT_TRUE(f->messageIsError());
        EXPECT_EQ(f->outcome(), Outcome::Failed);
        EXPECT_EQ(states(), "1|1");
        EXPECT_EQ(dump("SELECT DISTINCT State FROM Apt2"), "1");
        EXPECT_EQ(consentStates(), "04|4\n11|2\n13|0");
    }
}

TEST_F(Flow, AMailboxThatCannotBeWrittenStopsTheSend)
{
    addMonth();
    writeFile("blocker", "not a folder");
    shell::TEdiConfig cfg;
    shell::ReadSettings(cfg);
    cfg.MailboxDir = path("blocker/Mailbox");
    ASSERT_TRUE(shell::WriteSettings(cfg));

    auto f = flow(exchange::ModeSend);
    f->Activate();
    f->SendClick();
    EXPECT_EQ(f->message(), QStringLiteral("처리가 중단되었습니다"));
    EXPECT_TRUE(f->messageIsError());
    EXPECT_EQ(states(), "1|1");
    EXPECT_EQ(consentStates(), "04|4\n11|2\n13|0");
}

TEST_F(Flow, ASendFolderThatCannotBeUsedBuildsNothing)
{
    addMonth();
    ASSERT_TRUE(QDir(path("Send")).removeRecursively());
    writeFile("Send", "a file where the folder should be");
    auto f = flow(exchange::ModeSend);
    f->Activate();
    EXPECT_EQ(f->message(), edi::BuildErrorMessage());
    EXPECT_TRUE(f->messageIsError());
    EXPECT_FALSE(f->ready());
    EXPECT_EQ(states(), "1|1");
    EXPECT_EQ(dump("SELECT Count(*) FROM TongRegister WHERE Senddate IS NOT NULL"), "0");
}

TEST_F(Flow, ARecordingFailureUndoesTheWholeRecordAndStaysRed)
{
    addMonth();
    exec("CREATE TRIGGER block_consents BEFORE UPDATE OF Status ON TongRegister "
         "BEGIN SELECT RAISE(ABORT, 'blocked'); END");
    auto f = flow(exchange::ModeSend);
    f->Activate();
    f->SendClick();
    EXPECT_EQ(f->message(), QStringLiteral("\"TongRegister\"의 송신 상태 기록 실패."));
    EXPECT_TRUE(f->messageIsError());
    EXPECT_FALSE(view.messages.contains(QStringLiteral("송신 성공.")));
    EXPECT_EQ(f->outcome(), Outcome::Failed);
    EXPECT_EQ(states(), "1|1");
    EXPECT_EQ(dump("SELECT DISTINCT State FROM Apt2"), "1");
}

TEST_F(Flow, DecliningADateQuestionBuildsNothing)
{
    struct Case
    {
        const char* name;
        bool duplicate;
        QString status;
    };
    const Case cases[] = {
        {"range", false, calendar::RangeStoppedStatus()},
        {"duplicate", true, calendar::DuplicateStoppedStatus()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exec("DELETE FROM Apt1");
        writeFile("Send/old", "left from before");
        if (c.duplicate) {
            addBatch(1, "A123456789", "2024-03-20");
            addBatch(2, "A123456789", "2024-03-20", 2);
        } else {
            addBatch(1, "A123456789", "2024-03-25");
        }
        addLine(1, "101", "1203", "13", "301-0123-4567-81", 10000);
        ui.answerAsk(shell::Ui::No);
        view.previews = 0;
        auto f = flow(exchange::ModeSend);
        f->Activate();
        EXPECT_EQ(f->message(), c.status);
        EXPECT_TRUE(f->messageIsError());
        EXPECT_FALSE(f->buttons().sendEnabled);
        EXPECT_FALSE(f->ready());
        EXPECT_EQ(filesIn("Send"), QStringList{"old"}); // not even emptied
        EXPECT_EQ(view.previews, 0);
        EXPECT_EQ(f->outcome(), Outcome::Stopped);
    }
}

TEST_F(Flow, CancellingThePreviewLeavesNothingToSend)
{
    addMonth();
    view.sendAnyway = false;
    auto f = flow(exchange::ModeSend);
    f->Activate();
    EXPECT_EQ(f->message(), QStringLiteral("송신취소 되었습니다."));
    EXPECT_FALSE(f->ready());
    EXPECT_TRUE(f->rows().isEmpty());
    EXPECT_TRUE(filesIn("Send").isEmpty());
    EXPECT_FALSE(f->buttons().sendVisible);
    EXPECT_TRUE(f->buttons().closeVisible);
    f->SendClick(); // nothing is offered
    EXPECT_EQ(states(), "1|1");
}

TEST_F(Flow, ABuildErrorOffersNoSend)
{
    addMonth();
    // More batches than one run may carry: the build fails as a whole.
    exec("WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
         "INSERT INTO Apt1 (AptID, GiganID10, FileGubun, BankCode, MoBankNo, IcheDate, "
         "IcheEDate, Pass, State, TotNo, TotMoney) SELECT i, 'A123456789', '11', '35', "
         "'301-0123-4567-81', '2024-03-20', '2024-03-20', 'pw', 1, 0, 0 FROM n");
    auto f = flow(exchange::ModeSend);
    f->Activate();
    EXPECT_EQ(f->message(), edi::BuildErrorMessage());
    EXPECT_TRUE(f->messageIsError());
    EXPECT_FALSE(f->ready());
    EXPECT_FALSE(f->buttons().sendVisible);
    EXPECT_TRUE(filesIn("Send").isEmpty()); // the consent file too
    EXPECT_EQ(view.previews, 0);
}

TEST_F(Flow, AGarbageResultFileChangesNothingAndTheArchiveIsRenamed)
{
    addBatch(1, "A123456789", "2024-03-20", 2);
    addLine(1, "101", "1203", "13", "301-0123-4567-81", 10000);
    writeFile("Recv/AB100", "from the last receive");
    writeFile("Mailbox/Inbox/AB200", "S999012 and then nothing of use\r\n");
    writeFile("Mailbox/Inbox/FAZIP", "PK");
    writeFile("Recv/FA240315.zip", "older archive of today");

    auto f = flow(exchange::ModeReceive);
    f->Activate();
    // The refused file is kept, and the message says where.
    EXPECT_EQ(f->message(), QStringLiteral("수신 자료 처리중 오류가 발생하였습니다. 보관 파일 : ") +
                                QDir::toNativeSeparators(path("Recv/Old/20240315/AB200")));
    EXPECT_TRUE(f->messageIsError());
    // What the folder held before the receive is kept before it is emptied.
    EXPECT_EQ(filesIn("Recv/Old/20240315"),
              (QStringList{"AB100", "AB200", "FA240315.zip", "FAZIP"}));
    EXPECT_EQ(filesIn("Recv"), (QStringList{"AB200", "FA240315.zip"}));
    EXPECT_EQ(readFile("Recv/FA240315.zip"), "PK");
    EXPECT_EQ(states(), "1|2");
    EXPECT_EQ(dump("SELECT IcheYebu, State FROM Apt2"), "Z|1");
}

TEST_F(Flow, TestModeCanWorkWithoutTheNetwork)
{
    workspace().testMode = true;
    addMonth();
    FakeLink link;
    ui.answerConfirm(true);
    auto f = flow(exchange::ModeSend, link);
    f->Activate();
    f->SendClick();
    EXPECT_EQ(link.calls, 0);
    EXPECT_EQ(f->message(), QStringLiteral("송신 성공."));
    EXPECT_EQ(states(), "1|2");

    // A receive in test mode keeps the receive folder and, offline, finds nothing in it.
    ui.answerConfirm(true);
    auto r = flow(exchange::ModeReceive, link);
    r->Activate();
    EXPECT_EQ(link.calls, 0);
    EXPECT_EQ(r->message(), QStringLiteral("수신 처리할 파일이 없습니다."));
    EXPECT_TRUE(r->messageIsError());
    workspace().testMode = false;
}

TEST_F(Flow, ActivationRunsOnce)
{
    addMonth();
    auto f = flow(exchange::ModeSend);
    f->Activate();
    writeFile("Send/marker", "x");
    f->Activate();
    EXPECT_EQ(view.previews, 1);
    EXPECT_TRUE(filesIn("Send").contains("marker"));
}

struct MissingCase
{
    const char* name;
    QString lineBank, lineAccount, dong, ho;
    QString consentBank, consentAccount, consentPayer;
    int consentStatus;
    bool missing;
};

class MissingConsents : public exchange_tests::ExchangeTest,
                        public ::testing::WithParamInterface<MissingCase>
{
};

TEST_P(MissingConsents, ComparesTheFourFieldsOneByOne)
{
    const MissingCase& c = GetParam();
    addBatch(1, "A123456789", "2024-03-20");
    addLine(1, c.dong, c.ho, c.lineBank, c.lineAccount, 1000);
    addConsent("A123456789", c.consentBank, c.consentAccount, c.consentPayer, c.consentStatus);
    exchange::MissingConsentList rows;
    ASSERT_TRUE(exchange::FindMissingConsents(db(), ui, rows));
    EXPECT_EQ(rows.size(), c.missing ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Exchange, MissingConsents,
    ::testing::Values(
        MissingCase{"Registered", "04", "12345678901", "101", "1203", "04", "12345678901",
                    "1011203", 2, false},
        MissingCase{"StillWaiting", "04", "12345678901", "101", "1203", "04", "12345678901",
                    "1011203", 1, true},
        // Joined, account 1234567890 with payer 101 reads like 12345678901 with payer 01.
        MissingCase{"FieldsDoNotRunIntoEachOther", "04", "1234567890", "1", "01", "04",
                    "12345678901", "01", 2, true},
        MissingCase{"HyphenatedAccount", "04", "123-4567-8901", "101", "1203", "04", "12345678901",
                    "1011203", 2, false},
        MissingCase{"MemberBankByGroup", "13", "3010123456781", "101", "1203", "12",
                    "3010123456781", "1011203", 2, false},
        MissingCase{"OtherBank", "05", "12345678901", "101", "1203", "04", "12345678901", "1011203",
                    2, true}),
    [](const auto& info) { return info.param.name; });

} // namespace
