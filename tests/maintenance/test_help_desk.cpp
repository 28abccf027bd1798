#include "edi/link.h"
#include "edi/mailbox_link.h"
#include "maintenance/help_desk.h"
#include "platform/zip_archive.h"
#include "shell/link_settings.h"
#include "shell/workspace.h"
#include "tests/maintenance/maintenance_fixture.h"

#include <QDir>
#include <QFile>
#include <optional>

using maintenance::Program;
using testing_support::MaintenanceTest;

TEST(HelpDeskEnvelope, HeaderFields)
{
    const QByteArray h = maintenance::HelpDeskEnvelopeHeader(1234, "FAZIP", "SENDER");
    EXPECT_EQ(h, QByteArray("<<NEHEAD>>1B0000001234          SENDER    FAZIP 001HELP005   "));
    EXPECT_EQ(h.size(), 61);
    // A long sender ID is cut to its ten bytes.
    EXPECT_EQ(maintenance::HelpDeskEnvelopeHeader(0, "FATXT", "ABCDEFGHIJKLMN").mid(32, 10),
              "ABCDEFGHIJ");
}

class HelpDeskSendTest : public MaintenanceTest
{
protected:
    void SetUp() override
    {
        MaintenanceTest::SetUp();
        shell::TEdiConfig cfg;
        ASSERT_TRUE(shell::ReadSettings(cfg));
        cfg.LoginID = "BR0001";
        ASSERT_TRUE(shell::WriteSettings(cfg));
        shell::ApplyLinkDirectories(workspace());
    }

    edi::MailboxLink& link()
    {
        if (!m_link)
            m_link.emplace(workspace());
        return *m_link;
    }
    std::optional<edi::MailboxLink> m_link;

    QByteArray outbox(const QString& name) { return readFile("Mailbox/Outbox/" + name); }
};

TEST_F(HelpDeskSendTest, DataSendEmptiesTheSendFolderAndShipsTheArchiveInItsEnvelope)
{
    makeDatabase();
    writeFile("Send/Apt_1", "waiting request");
    auto ctx = context();
    const maintenance::SendOutcome o = maintenance::SendDataToHelpDesk(ctx, link());
    ASSERT_TRUE(o.sent);
    EXPECT_TRUE(o.linkCalled);
    EXPECT_FALSE(QFile::exists(path("Mailbox/Outbox/Apt_1")));
    const QByteArray sent = outbox("FAZIP");
    ASSERT_GT(sent.size(), 63);
    const QByteArray payload = sent.mid(63);
    EXPECT_EQ(sent.left(63),
              maintenance::HelpDeskEnvelopeHeader(payload.size(), "FAZIP", "BR0001") + "\r\n");
    QFile zip(path("payload.zip"));
    ASSERT_TRUE(zip.open(QIODevice::WriteOnly));
    zip.write(payload);
    zip.close();
    const auto names = platform::ListZip(zip.fileName());
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(*names, QStringList{"Pelmar.db"});
    EXPECT_TRUE(QDir(path("Send")).entryList(QDir::Files).isEmpty());
}

// The link would hand the user's file to the help desk beside FATXT, and
// emptying the folder would delete it: it stays and nothing is sent.
TEST_F(HelpDeskSendTest, FileSendOfAChosenFileInTheSendFolderLeavesItAndSendsNothing)
{
    writeFile("Send/report.txt", "the file the help desk asked for");
    auto ctx = context(Program::Vandry);
    ui.answerChooser(path("Send/report.txt"));
    const maintenance::SendOutcome o = maintenance::SendFileToHelpDesk(ctx, link());
    EXPECT_FALSE(o.sent);
    EXPECT_FALSE(o.linkCalled);
    EXPECT_EQ(readFile("Send/report.txt"), "the file the help desk asked for");
    ASSERT_EQ(ui.texts("error").size(), 1);
    EXPECT_TRUE(ui.texts("error")[0].contains("report.txt"));
}

TEST_F(HelpDeskSendTest, FileSendLeavesTheChosenFileElsewhereInPlace)
{
    writeFile("notes.txt", "abc");
    auto ctx = context();
    ui.answerChooser(path("notes.txt"));
    ASSERT_TRUE(maintenance::SendFileToHelpDesk(ctx, link()).sent);
    EXPECT_EQ(readFile("notes.txt"), "abc");
}

TEST_F(HelpDeskSendTest, CancelledChooserTouchesNothingAndCallsNoLink)
{
    writeFile("Send/Apt_1", "waiting request");
    auto ctx = context();
    ui.answerPromptCancel();
    const maintenance::SendOutcome o = maintenance::SendFileToHelpDesk(ctx, link());
    EXPECT_FALSE(o.sent);
    EXPECT_FALSE(o.linkCalled);
    EXPECT_EQ(readFile("Send/Apt_1"), "waiting request");
    EXPECT_EQ(ui.messages().size(), 1); // only the chooser
}

TEST_F(HelpDeskSendTest, VandryPutsTheTransferFoldersBackUnderProgramDir)
{
    shell::TEdiConfig cfg;
    ASSERT_TRUE(shell::ReadSettings(cfg));
    cfg.SendDir = path("elsewhere/Send");
    ASSERT_TRUE(shell::WriteSettings(cfg));
    maintenance::PrepareTransferDirectoriesFor(Program::Vandry, workspace());
    ASSERT_TRUE(shell::ReadSettings(cfg));
    EXPECT_EQ(cfg.SendDir, path("Send"));
    EXPECT_EQ(workspace().sendDir, path("Send/"));
    EXPECT_TRUE(QDir(path("Result/Old")).exists());
}
