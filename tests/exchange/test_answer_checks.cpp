// Answers that are not what they claim, through the real executables: an
// answer under another institution's batch key, and one whose records do
// not agree with its trailer, are refused whole, kept and named.

#include "tests/exchange/tool_exchange_fixture.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

using testing_support::ProgramRun;

class AnswerChecks : public exchange_tests::ToolExchangeTest
{
protected:
    ProgramRun sim() { return testing_support::RunProgram(CLEARING_SIM, home(), {}); }
    QString kept(const QString& code) const
    {
        return QDir::toNativeSeparators(path("Recv/Old/20240315/" + code));
    }
    QString said(const ProgramRun& r) const { return r.out + r.err; }
};

TEST_F(AnswerChecks, AnAnswerUnderAnotherInstitutionsBatchKeyIsRefused)
{
    addInstitution(QStringLiteral("햇살아파트"), "B000000002", "BB100", "BB200");
    addBatch(1, "A123456789", "2024-03-20");
    addLine(1, "101", "1203", "11", "352-1234-5678-93", 30000);
    addLine(1, "101", "1204", "13", "301-0123-4567-81", 10000);
    addBatch(2, "B000000002", "2024-03-20");
    addLine(2, "1", "101", "04", "12345678901", 500);
    ProgramRun r = tool({"--yes", "send"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(sim().exitCode, 0);

    // B's answer edited to carry the batch key of A's batch.
    const QByteArray answerA = readFile("Mailbox/Inbox/AB200");
    const QByteArray answerB = readFile("Mailbox/Inbox/BB200");
    ASSERT_EQ(answerB.size(), 600);
    QByteArray edited = answerB;
    edited.replace(200 + 114, 5, answerA.mid(200 + 114, 5));
    ASSERT_NE(edited, answerB);
    writeFile("Mailbox/Inbox/BB200", edited);

    r = tool({"receive"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(said(r).contains(kept("BB200"))) << said(r).toStdString();
    EXPECT_EQ(readFile("Recv/Old/20240315/BB200"), edited);
    // A's batch has its own answer only; B's waits for its own.
    EXPECT_EQ(dump("SELECT AptID, State, E1TotNo, E1TotMon FROM Apt1 ORDER BY AptID"),
              "1|3|2|40000\n2|2||");
    EXPECT_EQ(dump("SELECT AptID, State FROM Apt2 ORDER BY Apt2ID"), "1|3\n1|3\n2|2");

    // B's answer as the centre wrote it finds B's batch.
    writeFile("repaired/BB200", answerB);
    r = tool({"apply-results", path("repaired/BB200")});
    ASSERT_EQ(r.exitCode, 0) << said(r).toStdString();
    EXPECT_EQ(dump("SELECT AptID, State, E1TotNo, E1TotMon FROM Apt1 ORDER BY AptID"),
              "1|3|2|40000\n2|3|1|500");
}

TEST_F(AnswerChecks, AnAnswerWithADataRecordCopiedIsRefused)
{
    addBatch(1, "A123456789", "2024-03-20");
    addLine(1, "101", "1203", "11", "352-1234-5678-93", 30000);
    addLine(1, "101", "1204", "13", "301-0123-4567-81", 10000);
    ProgramRun r = tool({"--yes", "send"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(sim().exitCode, 0);
    const QByteArray answer = readFile("Mailbox/Inbox/AB200");
    ASSERT_EQ(answer.size(), 800);
    const QByteArray copied = answer.left(600) + answer.mid(400, 200) + answer.mid(600);
    writeFile("Mailbox/Inbox/AB200", copied);

    r = tool({"receive"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(said(r).contains(kept("AB200"))) << said(r).toStdString();
    EXPECT_EQ(dump("SELECT State, E1TotNo FROM Apt1"), "2|");
    EXPECT_EQ(dump("SELECT State, IcheYebu FROM Apt2 ORDER BY Apt2ID"), "2|Z\n2|Z");

    // With the copy taken out again it applies.
    writeFile("repaired/AB200", answer);
    r = tool({"apply-results", path("repaired/AB200")});
    ASSERT_EQ(r.exitCode, 0) << said(r).toStdString();
    EXPECT_EQ(dump("SELECT State, E1TotNo, E1TotMon FROM Apt1"), "3|2|40000");
}

} // namespace
