// The send and receive folders may be any folder the user names: the
// exchange deletes only what the program and the link write there, a user's
// file never goes to the bank, and the link setup refuses a folder of the
// user's files.

#include "shell/codec.h"
#include "tests/exchange/tool_exchange_fixture.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using testing_support::ProgramRun;

class ExchangeFolders : public exchange_tests::ToolExchangeTest
{
protected:
    QString said(const ProgramRun& r) const { return r.out + r.err; }
    QString log() const { return shell::FromCp949(readFile("202403.log")); }
    QString linkShow(const char* setting)
    {
        const ProgramRun r = tool({"link", "show"});
        for (const QString& line : r.out.split('\n'))
            if (line.startsWith(QString::fromLatin1(setting) + ' '))
                return line.mid(qsizetype(qstrlen(setting)) + 1);
        return {};
    }
};

TEST_F(ExchangeFolders, LinkSetupRefusesAFolderHoldingOtherFiles)
{
    writeFile("Documents/thesis.odt", "chapter 1");
    writeFile("Documents/notes", "todo");
    const QString before = linkShow("SendDir");
    for (const char* setting : {"SendDir", "RecvDir", "ResultDir"}) {
        SCOPED_TRACE(setting);
        const ProgramRun r =
            tool({"link", "setup", QString::fromLatin1(setting) + "=" + path("Documents")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(said(r).contains(QStringLiteral("송수신 파일이 아닌 파일 \"notes\"")))
            << said(r).toStdString();
    }
    EXPECT_EQ(linkShow("SendDir"), before);
    EXPECT_EQ(readFile("Documents/thesis.odt"), "chapter 1");
    EXPECT_EQ(readFile("Documents/notes"), "todo");

    // A folder of the exchange's own files is accepted.
    writeFile("Out/Apt_3", "old request");
    writeFile("Out/AB200", "old answer");
    const ProgramRun r = tool({"link", "setup", "SendDir=" + path("Out")});
    EXPECT_EQ(r.exitCode, 0) << said(r).toStdString();
}

TEST_F(ExchangeFolders, ASendLeavesTheUsersFileWhereItIsAndSendsNothing)
{
    ASSERT_TRUE(QDir().mkpath(path("Out")));
    ASSERT_TRUE(QDir().mkpath(path("In")));
    ProgramRun r = tool({"link", "setup", "SendDir=" + path("Out"), "RecvDir=" + path("In")});
    ASSERT_EQ(r.exitCode, 0) << said(r).toStdString();
    addBatch(1, "A123456789", "2024-03-20");
    addLine(1, "101", "1203", "11", "352-1234-5678-93", 30000);
    // The user puts a file there afterwards; a request file of an earlier
    // build is left over.
    writeFile("Out/thesis.odt", "chapter 1");
    writeFile("Out/Apt_7", "stale request");

    r = tool({"--yes", "send"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(said(r).contains(QDir(path("Out")).filePath("thesis.odt")))
        << said(r).toStdString();
    EXPECT_EQ(filesIn("Out"), QStringList{"thesis.odt"});
    EXPECT_EQ(readFile("Out/thesis.odt"), "chapter 1");
    EXPECT_TRUE(filesIn("Mailbox/Outbox").isEmpty());
    EXPECT_EQ(dump("SELECT State FROM Apt1"), "1");
    EXPECT_EQ(log().count("thesis.odt"), 1) << log().toStdString();

    // Taken away, the send goes; a user's file in the receive folder stays
    // through the receive.
    ASSERT_TRUE(QFile::rename(path("Out/thesis.odt"), path("thesis.odt")));
    r = tool({"--yes", "send"});
    ASSERT_EQ(r.exitCode, 0) << said(r).toStdString();
    EXPECT_EQ(filesIn("Mailbox/Outbox"), QStringList{"Apt_1"});
    ASSERT_EQ(testing_support::RunProgram(CLEARING_SIM, home(), {}).exitCode, 0);
    writeFile("In/notes", "todo");
    // (a leftover answer would be kept and applied: a leftover archive is not)
    writeFile("In/FAZIP", "an archive of an earlier receive");
    r = tool({"receive"});
    ASSERT_EQ(r.exitCode, 0) << said(r).toStdString();
    EXPECT_EQ(readFile("In/notes"), "todo");
    EXPECT_EQ(dump("SELECT State FROM Apt1"), "3");
}

} // namespace
