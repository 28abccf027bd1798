// One exchange through the real executables: pelmar-tool builds the
// request files, the mailbox link carries them, clearing-sim answers with
// its own code, and pelmar-tool applies the answers.

#include "shell/workspace.h"
#include "tests/support/data_fixture.h"
#include "tests/support/program_run.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using testing_support::ProgramRun;

class ClearingSim : public testing_support::DataTest
{
protected:
    ProgramRun tool(const QStringList& args)
    {
        return testing_support::RunProgram(PELMAR_TOOL, home(), args);
    }
    ProgramRun sim(const QStringList& args = {})
    {
        return testing_support::RunProgram(CLEARING_SIM, home(), args);
    }
};

TEST_F(ClearingSim, ARoundTripAnswersEveryLineAndConsent)
{
    addInstitution(QStringLiteral("푸른마을아파트"), "A123456789", "AB100", "AB200");
    addBatch(1, "A123456789", "2024-03-20");
    addBatch(2, "A123456789", "2024-03-21");
    addLine(1, "101", "1203", "13", "301-0123-4567-81", 10000);
    addLine(1, "101", "1204", "03", "12345678901012", 20000);
    addLine(1, "102", "301", "11", "352-1234-5678-93", 30000);
    addLine(2, "103", "101", "04", "12345678901", 40000);
    addConsent("A123456789", "13", "3010123456781", "1011203", 0, "800101");
    addSentEvidence("A123456789", "13", "3010123456781", "1011203");
    addConsent("A123456789", "04", "12345678901", "103101", 4);
    ASSERT_EQ(tool({"link", "setup", "LoginID=BR0001"}).exitCode, 0);

    ProgramRun r = tool({"build-requests"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("출금동의신청\t푸른마을아파트\tNA200\t2\t0\n"
                                    "Veltrin\t푸른마을아파트\tAB100\t3\t60000\n"
                                    "Veltrin\t푸른마을아파트\tAB100\t1\t40000\n"));
    EXPECT_EQ(value("SELECT Count(*) FROM Apt1 WHERE State = 1").toInt(), 2);
    ASSERT_EQ(tool({"link", "send"}).exitCode, 0);
    // What a successful send records.
    exec("UPDATE Apt1 SET State = 2");
    exec("UPDATE Apt2 SET State = 2");
    exec("UPDATE TongRegister SET Status = Status + 1");

    r = sim({"--fail-every", "2", "--consent-fail-every", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "answered\tApt_1\tAB200\t3\t1\n"
                     "answered\tApt_2\tAB200\t1\t0\n"
                     "answered\tRegister_1\tNA200\t2\t1\n");
    EXPECT_TRUE(QDir(path("Mailbox/Outbox")).isEmpty());
    EXPECT_EQ(QDir(path("Mailbox/Answered")).entryList(QDir::Files).size(), 3);

    ASSERT_EQ(tool({"link", "receive"}).exitCode, 0);
    r = tool({"apply-results"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("출금동의신청\t푸른마을아파트\tNA200\t2\t0\n"
                                    "Veltrin\t푸른마을아파트\tAB200\t3\t60000\n"
                                    "Veltrin\t푸른마을아파트\tAB200\t1\t40000\n"));
    EXPECT_EQ(dump("SELECT AptID, DataNo, IcheYebu, ResultID4, State FROM Apt2 ORDER BY Apt2ID"),
              "1|1|Y|0000|3\n1|2|X|1000|3\n1|3|Y|0000|3\n2|1|Y|0000|3");
    EXPECT_EQ(dump("SELECT AptID, State, E1TotNo, E1JunNo, E1JoNo, E1SucNo, E1SucMon FROM Apt1 "
                   "ORDER BY AptID"),
              "1|3|3|1|1|0|0\n2|3|1|0|0|1|40000");
    // Bank 04 (sequence 1) cancelled; bank 13 (sequence 2) refused.
    EXPECT_EQ(dump("SELECT Bankcd, Status, ResultYN, ResultCD FROM TongRegister ORDER BY Bankcd"),
              "04|6|1|0\n13|3|0|1012");
}

TEST_F(ClearingSim, ARequestTheCentreCannotReadIsRejectedWithItsReason)
{
    addInstitution(QStringLiteral("푸른마을아파트"), "A123456789", "AB100", "AB200");
    addBatch(1, "A123456789", "2024-03-20");
    addLine(1, "101", "1203", "13", "301-0123-4567-81", 10000);
    ASSERT_EQ(tool({"link", "setup", "LoginID=BR0001"}).exitCode, 0);
    ASSERT_EQ(tool({"build-requests"}).exitCode, 0);
    ASSERT_EQ(tool({"link", "send"}).exitCode, 0);

    // The amount changed after the check value was formed.
    QFile f(path("Mailbox/Outbox/Apt_1"));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    bytes.replace(63 + 200 + 42, 13, "0000000010001");
    f.seek(0);
    f.write(bytes);
    f.close();
    writeFile("Mailbox/Outbox/notes.txt", "hello\r\n");

    const ProgramRun r = sim({"--fail-code", "0444"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.contains("rejected\tApt_1\tD record 1: record check value does not match"));
    EXPECT_TRUE(r.out.contains("rejected\tnotes.txt\t"));
    EXPECT_TRUE(QFile::exists(path("Mailbox/Rejected/Apt_1")));
    EXPECT_TRUE(readFile("Mailbox/Rejected/Apt_1.reason").startsWith("D record 1"));
    EXPECT_FALSE(QFile::exists(path("Mailbox/Inbox/AB200")));

    EXPECT_EQ(sim({"--fail-every", "x"}).exitCode, 2);
}

TEST_F(ClearingSim, TheToolExitsWithTheSystemsMessageWhenARunFails)
{
    addInstitution(QStringLiteral("푸른마을아파트"), "A123456789", "AB100", "AB200");
    addBatch(1, "A123456789", "2024-03-20");
    addLine(1, "101", "1203", "13", "301-0123-4567-81", 10000);
    addConsent("A123456789", "13", "3010123456781", "1011203", 0, "800101");
    // More batches than one run may carry: the build fails as a whole.
    exec("WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
         "INSERT INTO Apt1 (AptID, GiganID10, FileGubun, BankCode, MoBankNo, IcheDate, "
         "IcheEDate, Pass, State, TotNo, TotMoney) SELECT i, 'A123456789', '11', '35', "
         "'301-0123-4567-81', '2024-03-20', '2024-03-20', 'pw', 1, 0, 0 FROM n");
    addSentEvidence("A123456789", "13", "3010123456781", "1011203");

    ProgramRun r = tool({"build-requests"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("송신 자료 생성중 오류가 발생하였습니다.")));
    EXPECT_TRUE(QDir(path("Send")).entryList(QDir::Files).isEmpty()); // the consent file too

    writeFile("Recv/AB200", "S999012 and then nothing of use\r\n");
    r = tool({"apply-results"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("수신 자료 처리중 오류가 발생하였습니다.")));
    EXPECT_TRUE(r.err.contains("AB200"));
}

} // namespace
