// The monthly cycle on one temporary installation: pelmar-tool sends, the
// stand-in centre answers, pelmar-tool receives and shows the link's
// report; and once more with the transmission window doing both ends.

#include "exchange/ui/tfm_edi.h"
#include "shell/codec.h"
#include "shell/log.h"
#include "tests/exchange/exchange_fixture.h"
#include "tests/support/program_run.h"
#include "tests/support/qt_app.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

using testing_support::ProgramRun;

class MonthlyCycle : public exchange_tests::ExchangeTest
{
protected:
    ProgramRun tool(const QStringList& args)
    {
        return testing_support::RunProgram(PELMAR_TOOL, home(), args);
    }
    ProgramRun sim(const QStringList& args)
    {
        return testing_support::RunProgram(CLEARING_SIM, home(), args);
    }

    // Two batches with lines of the three bank groups; two consents wait,
    // one is registered.
    void addMonth()
    {
        addBatch(1, "A123456789", "2024-03-20");
        addLine(1, "101", "1203", "11", "352-1234-5678-93", 30000);
        addLine(1, "101", "1204", "13", "301-0123-4567-81", 10000);
        addLine(1, "102", "301", "04", "12345678901", 40000);
        addBatch(2, "A123456789", "2024-03-21");
        addLine(2, "103", "101", "05", "98765432101", 20000);
        addLine(2, "103", "102", "12", "301-0123-4567-82", 15000);
        addConsent("A123456789", "11", "3521234567893", "1011203", 0, "800101");
        addSentEvidence("A123456789", "11", "3521234567893", "1011203");
        addConsent("A123456789", "05", "98765432101", "103101", 0, "800101");
        addSentEvidence("A123456789", "05", "98765432101", "103101");
        addConsent("A123456789", "13", "3010123456781", "1011204", 2, "800101");
    }

    // What a receive of the centre's answers (every third line refused) records.
    void expectReceived()
    {
        EXPECT_EQ(dump("SELECT AptID, IcheYebu, ResultID4, State FROM Apt2 ORDER BY Apt2ID"),
                  "1|Y|0000|3\n1|Y|0000|3\n1|X|1000|3\n2|Y|0000|3\n2|Y|0000|3");
        EXPECT_EQ(dump("SELECT AptID, State, E1TotNo, E1TotMon, E1JunNo, E1JunMon, E1JoNo, "
                       "E1JoMon, E1SucNo, E1SucMon FROM Apt1 ORDER BY AptID"),
                  "1|3|3|80000|1|30000|1|10000|0|0\n2|3|2|35000|0|0|1|15000|1|20000");
        EXPECT_EQ(dump("SELECT Bankcd, Status, ResultYN FROM TongRegister ORDER BY Bankcd"),
                  "05|2|1\n11|2|1\n13|2|");
    }

    QString log() const
    {
        return shell::FromCp949(readFile(shell::LogFilePath().mid(home().size())));
    }
};

TEST_F(MonthlyCycle, ThroughTheRealExecutables)
{
    ProgramRun r = tool({"prepare-db"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    addMonth();
    ASSERT_EQ(tool({"link", "setup", "LoginID=BR0001"}).exitCode, 0);

    // The missing-consent list is a question: unanswered, nothing goes.
    r = tool({"send"});
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral(
        "unanswered question: 출금동의 안된 자료 목록 출금동의등록이 안된 자료(건):4")))
        << r.err.toStdString();
    EXPECT_TRUE(filesIn("Send").isEmpty());
    EXPECT_TRUE(filesIn("Mailbox/Outbox").isEmpty());
    EXPECT_EQ(dump("SELECT DISTINCT State FROM Apt1"), "1");

    r = tool({"--yes", "send"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("푸른마을아파트\t출금동의신청\tNA200\t2\t\n"
                                    "푸른마을아파트\tVeltrin\tAB100\t3\t\\80,000\n"
                                    "푸른마을아파트\tVeltrin\tAB100\t2\t\\35,000\n"
                                    "송신 성공.\n"));
    EXPECT_EQ(filesIn("Mailbox/Outbox"), (QStringList{"Apt_1", "Apt_2", "Register_1"}));
    EXPECT_EQ(dump("SELECT DISTINCT State FROM Apt1"), "2");
    EXPECT_EQ(dump("SELECT DISTINCT State FROM Apt2"), "2");
    EXPECT_EQ(dump("SELECT Bankcd, Status FROM TongRegister ORDER BY Bankcd"), "05|1\n11|1\n13|2");

    r = sim({"--fail-every", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString() << r.out.toStdString();

    r = tool({"receive"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("푸른마을아파트\t출금동의신청\tNA200\t2\t\n"
                                    "푸른마을아파트\tVeltrin\tAB200\t3\t\\80,000\n"
                                    "푸른마을아파트\tVeltrin\tAB200\t2\t\\35,000\n"
                                    "수신된 자료의 처리가 완료되었습니다.\n"));
    expectReceived();
    EXPECT_TRUE(
        log().contains(QStringLiteral("수신, 푸른마을아파트, Veltrin, AB200, 3, \\80,000")));

    r = tool({"results", "--fetch"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList rows = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(rows.size(), 4);
    EXPECT_TRUE(rows.last().endsWith(QStringLiteral(" 현재 송신결과 내역")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("AB100\tBK12345\t2024-03-15  10:30\t")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Veltrin (푸른마을아파트, A123456789)\tTervo 전산부"
                                              "\t정상 처리")));

    // The same answers fetched again are not applied twice and change nothing.
    r = tool({"re-receive"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("수신된 자료는 이미 반영된 자료입니다.\n")))
        << r.out.toStdString();
    expectReceived();

    // Nothing is left to send; declining the receive ends the run.
    r = tool({"--no", "send-receive"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("송신할 자료가 없습니다.\n"));

    // Nothing more waits: the link's message, and a failure.
    r = tool({"receive"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, QStringLiteral("error: 수신할 파일이 없습니다\n"));
    expectReceived();

    // In test mode the offline question needs an answer before the link is touched.
    writeFile("Recv/AB200", "kept for an offline run");
    r = tool({"receive", "--test"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.contains(QStringLiteral("EDI 망에 접속하지 않고 처리를 진행하시겠습니까?")))
        << r.err.toStdString();
    EXPECT_EQ(filesIn("Recv"), QStringList{"AB200"});
    expectReceived();
}

TEST_F(MonthlyCycle, ThroughTheTransmissionWindow)
{
    testing_support::QtApp();
    addMonth();
    ASSERT_EQ(tool({"link", "setup", "LoginID=BR0001"}).exitCode, 0);
    {
        exchange::TfmEdi send(*dm, ui, mailbox(), workspace(), exchange::ModeSend);
        send.setMissingConsentPreview([](const exchange::MissingConsentList& rows) {
            EXPECT_EQ(rows.size(), 4);
            return true;
        });
        send.show();
        QApplication::processEvents();
        ASSERT_TRUE(send.flow().ready()) << send.messageLine()->text().toStdString();
        send.BtnSendClick();
        EXPECT_EQ(send.messageLine()->text(), QStringLiteral("송신 성공."));
    }
    EXPECT_EQ(dump("SELECT Bankcd, Status FROM TongRegister ORDER BY Bankcd"), "05|1\n11|1\n13|2");

    const ProgramRun r = sim({"--fail-every", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    exchange::TfmEdi receive(*dm, ui, mailbox(), workspace(), exchange::ModeReceive);
    receive.show();
    QApplication::processEvents();
    EXPECT_EQ(receive.messageLine()->text(),
              QStringLiteral("수신된 자료의 처리가 완료되었습니다."));
    EXPECT_EQ(receive.counter()->text(), "1 / 3");
    expectReceived();
}

} // namespace
