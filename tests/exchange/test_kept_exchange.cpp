// Every file exchanged with the bank is kept, through the real executables:
// a refused answer can be applied later, and an answer to an earlier send
// of a batch that went again finds that batch.

#include "tests/exchange/tool_exchange_fixture.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using testing_support::ProgramRun;

class KeptExchange : public exchange_tests::ToolExchangeTest
{
protected:
    ProgramRun sim(const QStringList& args)
    {
        return testing_support::RunProgram(CLEARING_SIM, home(), args);
    }
    QString native(const QString& relative) const
    {
        return QDir::toNativeSeparators(path(relative));
    }
    int createdOnReceipt()
    {
        return value(QStringLiteral("SELECT Count(*) FROM Apt1 WHERE Bigo = '수신시 생성'"))
            .toInt();
    }
};

TEST_F(KeptExchange, ADamagedAnswerIsKeptAndAppliedOnceRepaired)
{
    addBatch(1, "A123456789", "2024-03-20");
    addLine(1, "101", "1203", "11", "352-1234-5678-93", 30000);
    addLine(1, "101", "1204", "13", "301-0123-4567-81", 10000);
    ProgramRun r = tool({"--yes", "send"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray firstRequest = readFile("Mailbox/Outbox/Apt_1");
    ASSERT_EQ(sim({"--fail-every", "2"}).exitCode, 0);

    // The answer arrives cut short.
    const QByteArray good = readFile("Mailbox/Inbox/AB200");
    const QByteArray damaged = good.left(good.size() - 150);
    writeFile("Mailbox/Inbox/AB200", damaged);
    r = tool({"receive"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, QStringLiteral("error: 수신 자료 처리중 오류가 발생하였습니다. 보관 파일 : ") +
                         native("Recv/Old/20240315/AB200") + "\n");
    EXPECT_EQ(readFile("Recv/Old/20240315/AB200"), damaged);
    EXPECT_EQ(dump("SELECT State FROM Apt1"), "2");

    // The next month's batch goes and its answer comes in good order; the
    // receive empties Recv/, the damaged answer stays kept.
    addBatch(2, "A123456789", "2024-03-21");
    addLine(2, "103", "101", "04", "12345678901", 40000);
    r = toolAt("11:00:00", {"--yes", "send"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray secondRequest = readFile("Mailbox/Outbox/Apt_1");
    ASSERT_EQ(sim({}).exitCode, 0);
    r = toolAt("11:05:00", {"receive"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString() << r.out.toStdString();
    EXPECT_EQ(filesIn("Recv"), QStringList{"AB200"});
    EXPECT_EQ(filesIn("Recv/Old/20240315"), (QStringList{"AB200", "AB200.1"}));
    EXPECT_EQ(readFile("Recv/Old/20240315/AB200.1"), readFile("Recv/AB200"));
    // Both request files, under one name.
    EXPECT_EQ(filesIn("Send/Old/20240315"), (QStringList{"Apt_1", "Apt_1.1"}));
    EXPECT_EQ(readFile("Send/Old/20240315/Apt_1"), firstRequest);
    EXPECT_EQ(readFile("Send/Old/20240315/Apt_1.1"), secondRequest);
    EXPECT_EQ(dump("SELECT AptID, State FROM Apt1 ORDER BY AptID"), "1|2\n2|3");

    // Repaired where it is kept, the first answer is applied by its path.
    QFile repaired(path("Recv/Old/20240315/AB200"));
    ASSERT_TRUE(repaired.open(QIODevice::WriteOnly));
    repaired.write(good);
    repaired.close();
    r = tool({"apply-results", path("Recv/Old/20240315/AB200")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Veltrin\t푸른마을아파트\tAB200\t2\t40000\n"));
    const QString applied = "1|Y|3\n1|X|3\n2|Y|3";
    EXPECT_EQ(dump("SELECT AptID, IcheYebu, State FROM Apt2 ORDER BY Apt2ID"), applied);
    EXPECT_EQ(dump("SELECT AptID, State, E1TotNo FROM Apt1 ORDER BY AptID"), "1|3|2\n2|3|1");

    // A kept copy under a clash name answers under its code; the same answer
    // again leaves the same values.
    r = tool({"apply-results", path("Recv/Old/20240315/AB200.1"), path("Recv/Old/20240315/AB200")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(dump("SELECT AptID, IcheYebu, State FROM Apt2 ORDER BY Apt2ID"), applied);
    EXPECT_EQ(createdOnReceipt(), 0);

    // A name that is no receive file code changes nothing and is named.
    writeFile("elsewhere/answer.txt", good);
    r = tool({"apply-results", path("elsewhere/answer.txt")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(native("elsewhere/answer.txt"))) << r.err.toStdString();
    EXPECT_EQ(tool({"apply-results", "--all"}).exitCode, 2);
}

TEST_F(KeptExchange, AnAnswerToAnEarlierSendFindsTheBatchSentAgain)
{
    addBatch(5, "A123456789", "2024-03-20");
    addLine(5, "201", "101", "11", "352-1234-5678-93", 30000);
    addLine(5, "201", "102", "13", "301-0123-4567-81", 10000);
    addLine(5, "202", "101", "04", "12345678901", 40000);
    ProgramRun r = tool({"--yes", "send"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(sim({"--fail-every", "2"}).exitCode, 0);
    // The answer is late: the branch takes the batch for unsent and sends it
    // again, behind a new batch of the same day that now comes first in the file.
    const QByteArray late = readFile("Mailbox/Inbox/AB200");
    ASSERT_TRUE(QFile::remove(path("Mailbox/Inbox/AB200")));
    exec("UPDATE Apt1 SET State = 1");
    exec("UPDATE Apt2 SET State = 1");
    addBatch(3, "A123456789", "2024-03-20");
    addLine(3, "101", "101", "05", "98765432101", 20000);
    addLine(3, "101", "102", "12", "301-0123-4567-82", 15000);
    r = toolAt("11:00:00", {"--yes", "send"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(filesIn("Send/Old/20240315"), (QStringList{"Apt_1", "Apt_1.1"}));
    EXPECT_EQ(dump("SELECT AptID, DataNo, Stime FROM Apt1 ORDER BY AptID"),
              "3|1|11:00:00\n5|2|11:00:00");
    EXPECT_EQ(dump("SELECT DataNo FROM Apt2 WHERE AptID = 5 ORDER BY Apt2ID"), "3\n4\n5");

    // The answer to the first send arrives now.
    writeFile("Mailbox/Inbox/AB200", late);
    r = toolAt("11:30:00", {"receive"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString() << r.out.toStdString();
    EXPECT_EQ(createdOnReceipt(), 0);
    EXPECT_EQ(dump("SELECT AptID, State, E1TotNo, E1TotMon FROM Apt1 ORDER BY AptID"),
              "3|2||\n5|3|3|80000");
    EXPECT_EQ(dump("SELECT AptID, Dong, Ho, IcheYebu, State FROM Apt2 ORDER BY Apt2ID"),
              "5|201|101|Y|3\n5|201|102|X|3\n5|202|101|Y|3\n3|101|101|Z|2\n3|101|102|Z|2");
}

} // namespace
