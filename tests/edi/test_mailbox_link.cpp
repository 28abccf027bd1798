// The mailbox link: files through Outbox/ and Inbox/, the kept set for a
// re-receive, the RptEDI report, the settings dialog hook, and the codes of
// folders that are not set or cannot be used.

#include "edi/link.h"
#include "edi/mailbox_link.h"
#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/kept_files.h"
#include "shell/link_settings.h"
#include "shell/workspace.h"
#include "tests/support/workspace_fixture.h"

#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <optional>

namespace {

using edi::MailboxLink;

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

// An envelope header line as the request writers build it.
QByteArray envelope(const QByteArray& fileCode, const QByteArray& bankId)
{
    QByteArray h = "<<NEHEAD>>1N0000000000" + QByteArray(10, ' ') + "SENDER0001";
    h += fileCode.leftJustified(6, ' ') + "001" + bankId.leftJustified(10, ' ');
    return h + "\r\n";
}

// RptEDI read back by the positions the results view uses.
struct ReportRow
{
    QString infoName, receiverId, sendTime, receiveTime, count, size, error;
};

class MailboxLinkTest : public testing_support::WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        shell::SetLinkProgramPath(home() + "Pelmar");
        shell::InitialiseLinkSettings();
    }

    shell::TEdiConfig settings() const
    {
        shell::TEdiConfig cfg;
        shell::ReadSettings(cfg);
        return cfg;
    }
    void change(void (*edit)(shell::TEdiConfig&, const QString& home))
    {
        shell::TEdiConfig cfg = settings();
        edit(cfg, home());
        ASSERT_TRUE(shell::WriteSettings(cfg));
    }
    QList<ReportRow> report() const
    {
        QList<ReportRow> rows;
        const QString text = shell::FromCp949(readFile("Result/RptEDI"));
        for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts))
            rows.append({line.mid(3, 8).trimmed(), line.mid(20, 10).trimmed(),
                         line.mid(31, 10).trimmed(), line.mid(42, 10).trimmed(),
                         line.mid(53, 5).trimmed(), line.mid(59, 12).trimmed(),
                         line.mid(73).trimmed()});
        return rows;
    }

    MailboxLink& link()
    {
        if (!m_link)
            m_link.emplace(workspace());
        return *m_link;
    }
    std::optional<MailboxLink> m_link;
    const QString key = shell::LinkKey();
};

TEST_F(MailboxLinkTest, SendMovesEverySendFileIntoTheOutbox)
{
    EXPECT_EQ(link().Send(shell::LinkKey()), 0);

    writeFile("Send/Apt_1", envelope("AB123", "0260") + "S999...");
    writeFile("Send/Apt_2", "plain");
    QDir().mkpath(path("Send/Old")); // folders stay where they are
    EXPECT_EQ(link().Send(shell::LinkKey()), 2);
    EXPECT_EQ(filesIn(path("Send")), QStringList());
    EXPECT_TRUE(QFileInfo(path("Send/Old")).isDir());
    EXPECT_EQ(filesIn(path("Mailbox/Outbox")), QStringList({"Apt_1", "Apt_2"}));
    EXPECT_EQ(readFile("Mailbox/Outbox/Apt_2"), "plain");

    // The centre has not fetched Apt_1 yet: the next one must not replace it.
    writeFile("Send/Apt_1", "second");
    EXPECT_EQ(link().Send(shell::LinkKey()), 1);
    EXPECT_EQ(readFile("Mailbox/Outbox/Apt_1").left(10), "<<NEHEAD>>");
    EXPECT_EQ(readFile("Mailbox/Outbox/Apt_1.1"), "second");
}

TEST_F(MailboxLinkTest, ReceiveMovesTheInboxAndKeepsTheSetForReReceive)
{
    EXPECT_EQ(link().Receive(shell::LinkKey()), 0);
    EXPECT_EQ(link().ReReceive(shell::LinkKey()), 0);

    writeFile("Mailbox/Inbox/AB9IN", "result one");
    writeFile("Mailbox/Inbox/CD9IN", "result two");
    writeFile("Recv/AB9IN", "stale");
    EXPECT_EQ(link().Receive(shell::LinkKey()), 2);
    EXPECT_EQ(filesIn(path("Mailbox/Inbox")), QStringList());
    EXPECT_EQ(readFile("Recv/AB9IN"), "result one");
    EXPECT_EQ(readFile("Recv/CD9IN"), "result two");
    EXPECT_EQ(filesIn(path("Mailbox/Received")), QStringList({"AB9IN", "CD9IN"}));

    // Until the program has kept a file, every receive delivers it again.
    QFile::remove(path("Recv/AB9IN"));
    QFile::remove(path("Recv/CD9IN"));
    EXPECT_EQ(link().Receive(shell::LinkKey()), 2);
    EXPECT_EQ(readFile("Recv/AB9IN"), "result one");
    ASSERT_TRUE(shell::KeepFiles(path("Recv/"), shell::KeptReceiveDir(workspace())).ok);

    // Kept, it stays only for a re-receive, which refills the folder.
    QFile::remove(path("Recv/AB9IN"));
    QFile::remove(path("Recv/CD9IN"));
    EXPECT_EQ(link().Receive(shell::LinkKey()), 0); // nothing new: the kept set stays
    EXPECT_EQ(link().ReReceive(shell::LinkKey()), 2);
    EXPECT_EQ(readFile("Recv/AB9IN"), "result one");
    EXPECT_EQ(readFile("Recv/CD9IN"), "result two");

    // A new receive replaces the kept set; an answer of the same name never
    // kept stays beside it and comes again.
    writeFile("Mailbox/Received/GH9IN", "never kept");
    writeFile("Mailbox/Inbox/EF9IN", "result three");
    writeFile("Mailbox/Inbox/GH9IN", "result four");
    EXPECT_EQ(link().Receive(shell::LinkKey()), 3);
    EXPECT_EQ(filesIn(path("Mailbox/Received")), QStringList({"EF9IN", "GH9IN", "GH9IN.1"}));
    EXPECT_EQ(readFile("Recv/GH9IN.1"), "never kept");
    EXPECT_EQ(readFile("Recv/GH9IN"), "result four");
}

TEST_F(MailboxLinkTest, SendReceiveDoesBothParts)
{
    writeFile("Send/Apt_1", "request");
    qint32 sendCode = -1, receiveCode = -1;
    EXPECT_EQ(link().SendReceive(shell::LinkKey(), sendCode, receiveCode), 1);
    EXPECT_EQ(sendCode, 1);
    EXPECT_EQ(receiveCode, 0);

    writeFile("Mailbox/Inbox/AB9IN", "result");
    const edi::SendReceiveOutcome o = edi::LinkSendReceive(link());
    EXPECT_TRUE(o.ok);
    EXPECT_FALSE(o.sent);
    EXPECT_TRUE(o.received);
    EXPECT_EQ(o.message, "송신할 파일이 없습니다");
    EXPECT_EQ(readFile("Recv/AB9IN"), "result");
}

TEST_F(MailboxLinkTest, ReportListsEveryFileNewestFirst)
{
    EXPECT_EQ(link().ResultReceiveNoDlg(shell::LinkKey()), 0);
    EXPECT_FALSE(QFileInfo::exists(path("Result/RptEDI")));

    change([](shell::TEdiConfig& c, const QString&) { c.LoginID = "BR0001"; });
    shell::FreezeNow(QDateTime(QDate(2024, 3, 15), QTime(9, 5)));
    writeFile("Send/Apt_1", envelope("AB123", "0260") + QByteArray(1040 - 63, 'x'));
    ASSERT_EQ(link().Send(shell::LinkKey()), 1);

    shell::FreezeNow(QDateTime(QDate(2024, 3, 15), QTime(11, 40)));
    writeFile("Send/FAZIP", "zip"); // no envelope: it goes under its own name
    ASSERT_EQ(link().Send(shell::LinkKey()), 1);

    writeFile("Mailbox/Inbox/AB9IN", QByteArray(160, 'r'));
    QFile inboxFile(path("Mailbox/Inbox/AB9IN"));
    ASSERT_TRUE(inboxFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(inboxFile.setFileTime(QDateTime(QDate(2024, 3, 16), QTime(6, 0)),
                                      QFileDevice::FileModificationTime));
    inboxFile.close();
    shell::FreezeNow(QDateTime(QDate(2024, 3, 16), QTime(8, 15)));
    ASSERT_EQ(link().Receive(shell::LinkKey()), 1);
    ASSERT_EQ(link().ReReceive(shell::LinkKey()), 1);

    // The centre fetches the request and reports an error on the archive.
    ASSERT_TRUE(MailboxLink::RecordFetch(settings(), home(), "Apt_1",
                                         QDateTime(QDate(2024, 3, 15), QTime(9, 30))));
    ASSERT_TRUE(MailboxLink::RecordFetch(settings(), home(), "FAZIP",
                                         QDateTime(QDate(2024, 3, 15), QTime(12, 0)),
                                         "압축 해제 실패"));
    ASSERT_TRUE(MailboxLink::RecordFetch(settings(), home(), "FAZIP",
                                         QDateTime(QDate(2024, 3, 15), QTime(13, 0))));
    EXPECT_FALSE(MailboxLink::RecordFetch(settings(), home(), "Apt_9", shell::Now()));

    EXPECT_EQ(link().ResultReceiveNoDlg(shell::LinkKey()), 3);
    const QList<ReportRow> rows = report();
    ASSERT_EQ(rows.size(), 3);
    const ReportRow& recv = rows[0];
    EXPECT_EQ(recv.infoName, "AB9IN");
    EXPECT_EQ(recv.receiverId, "BR0001");
    EXPECT_EQ(recv.sendTime, "2403160600");
    EXPECT_EQ(recv.receiveTime, "2403160815");
    EXPECT_EQ(recv.count, "2"); // received and re-received
    EXPECT_EQ(recv.size, "160");
    EXPECT_EQ(recv.error, "");
    const ReportRow& zip = rows[1];
    EXPECT_EQ(zip.infoName, "FAZIP");
    EXPECT_EQ(zip.receiverId, "");
    EXPECT_EQ(zip.sendTime, "2403151140");
    EXPECT_EQ(zip.receiveTime, "2403151200"); // the first fetch
    EXPECT_EQ(zip.count, "2");
    EXPECT_EQ(zip.error, "압축 해제 실패");
    const ReportRow& apt = rows[2];
    EXPECT_EQ(apt.infoName, "AB123");
    EXPECT_EQ(apt.receiverId, "0260");
    EXPECT_EQ(apt.sendTime, "2403150905");
    EXPECT_EQ(apt.receiveTime, "2403150930");
    EXPECT_EQ(apt.count, "1");
    EXPECT_EQ(apt.size, "1040");
}

TEST_F(MailboxLinkTest, UnfetchedSendLeavesReceiveTimeBlank)
{
    writeFile("Send/Apt_1", envelope("AB123", "0260"));
    ASSERT_EQ(link().Send(shell::LinkKey()), 1);
    ASSERT_EQ(link().ResultReceiveNoDlg(shell::LinkKey()), 1);
    const QByteArray line = readFile("Result/RptEDI");
    EXPECT_EQ(line.mid(42, 10), QByteArray(10, ' '));
    EXPECT_EQ(line.mid(53, 5).trimmed(), "0");
    EXPECT_TRUE(line.endsWith("  \r\n")); // no error text
}

TEST_F(MailboxLinkTest, MailboxDirSettingMovesTheMailbox)
{
    change([](shell::TEdiConfig& c, const QString& h) { c.MailboxDir = h + "Shared/Box"; });
    EXPECT_EQ(MailboxLink::MailboxDir(settings(), home()), home() + "Shared/Box/");
    writeFile("Send/Apt_1", "request");
    EXPECT_EQ(link().Send(shell::LinkKey()), 1);
    EXPECT_EQ(filesIn(path("Shared/Box/Outbox")), QStringList({"Apt_1"}));
    EXPECT_FALSE(QFileInfo::exists(path("Mailbox")));
}

// A folder the link must use is missing from the settings or blocked by a
// file of the same name (which even an administrator cannot write into).
TEST_F(MailboxLinkTest, FoldersThatAreNotSetOrUnusableGiveTheFailureCodes)
{
    using Call = qint32 (*)(MailboxLink&, const QString&);
    const Call send = [](MailboxLink& l, const QString& k) { return l.Send(k); };
    const Call receive = [](MailboxLink& l, const QString& k) { return l.Receive(k); };
    const Call reReceive = [](MailboxLink& l, const QString& k) { return l.ReReceive(k); };
    const Call result = [](MailboxLink& l, const QString& k) { return l.ResultReceiveNoDlg(k); };
    const Call both = [](MailboxLink& l, const QString& k) {
        qint32 s = -1, r = -1;
        const qint32 code = l.SendReceive(k, s, r);
        EXPECT_EQ(code < 0, s == code && r == code);
        return code;
    };
    struct Row
    {
        const char* name;
        Call call;
        void (*edit)(shell::TEdiConfig&, const QString& home);
        qint32 code;
    };
    const Row rows[] = {
        {"send, no SendDir", send, [](auto& c, auto&) { c.SendDir = "  "; }, -20},
        {"send, SendDir missing", send, [](auto& c, auto& h) { c.SendDir = h + "Nowhere"; }, -1},
        {"send, outbox blocked", send, [](auto& c, auto& h) { c.MailboxDir = h + "Block"; }, -1},
        {"receive, no RecvDir", receive, [](auto& c, auto&) { c.RecvDir = ""; }, -20},
        {"receive, RecvDir blocked", receive, [](auto& c, auto& h) { c.RecvDir = h + "Block"; },
         -1},
        {"receive, inbox blocked", receive, [](auto& c, auto& h) { c.MailboxDir = h + "Block"; },
         -1},
        {"re-receive, no RecvDir", reReceive, [](auto& c, auto&) { c.RecvDir = ""; }, -20},
        {"re-receive, RecvDir blocked", reReceive,
         [](auto& c, auto& h) { c.RecvDir = h + "Block/Recv"; }, -1},
        {"result, no ResultDir", result, [](auto& c, auto&) { c.ResultDir = ""; }, -20},
        {"result, ResultDir blocked", result,
         [](auto& c, auto& h) { c.ResultDir = h + "Block"; }, -1},
        {"send-receive, no SendDir", both, [](auto& c, auto&) { c.SendDir = ""; }, -20},
        {"send-receive, no RecvDir", both, [](auto& c, auto&) { c.RecvDir = ""; }, -20},
        {"send-receive, mailbox blocked", both,
         [](auto& c, auto& h) { c.MailboxDir = h + "Block"; }, -1},
    };
    writeFile("Block", "a file, not a folder");
    for (const Row& r : rows) {
        shell::TEdiConfig cfg = shell::DefaultEdiConfig(home());
        r.edit(cfg, home());
        ASSERT_TRUE(shell::WriteSettings(cfg));
        writeFile("Send/Apt_1", "request");
        writeFile("Mailbox/Received/AB9IN", "kept"); // something to re-receive
        EXPECT_EQ(r.call(link(), shell::LinkKey()), r.code) << r.name;
        // A failed send keeps the file where the next attempt finds it.
        EXPECT_EQ(readFile("Send/Apt_1"), "request") << r.name;
    }
    EXPECT_EQ(readFile("Block"), "a file, not a folder");
}

TEST_F(MailboxLinkTest, KeyOrSettingsThatAreNotThereGiveTheirCodes)
{
    EXPECT_EQ(link().Send("Parlx.other.Pelmar"), -777);
    EXPECT_EQ(link().EnvSetup(""), -777);
    EXPECT_EQ(link().Send(shell::LinkKey().toUpper()), 0); // keys ignore case

    // A registry without the link's settings knows no directory at all.
    shell::SetLinkProgramPath(home() + "Other/Pelmar");
    EXPECT_EQ(link().Receive(shell::LinkKey()), -20);
    EXPECT_EQ(link().ResultReceiveNoDlg(shell::LinkKey()), -20);
}

TEST_F(MailboxLinkTest, EnvSetupSavesWhatTheDialogConfirms)
{
    EXPECT_EQ(link().EnvSetup(shell::LinkKey()), -1); // no dialog to show

    QString shownLogin = "unset";
    MailboxLink cancelling(workspace(), [&](shell::TEdiConfig& c) {
        shownLogin = c.LoginID;
        c.LoginID = "CHANGED";
        return false;
    });
    change([](shell::TEdiConfig& c, const QString&) { c.LoginID = "BR0001"; });
    EXPECT_EQ(cancelling.EnvSetup(shell::LinkKey()), 0);
    EXPECT_EQ(shownLogin, "BR0001");
    EXPECT_EQ(settings().LoginID, "BR0001");

    MailboxLink confirming(workspace(), [&](shell::TEdiConfig& c) {
        c.LoginID = "BR0002";
        c.Password = shell::EncodeLinkPassword("pw12");
        c.RecvDir = home() + "In/Coming";
        c.MailboxDir = home() + "Box";
        return true;
    });
    const edi::LinkOutcome o = edi::LinkSetup(confirming, workspace());
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.message, "정상 처리 되었습니다.");
    const shell::TEdiConfig saved = settings();
    EXPECT_EQ(saved.LoginID, "BR0002");
    EXPECT_EQ(shell::DecodeLinkPassword(saved.Password), "pw12");
    EXPECT_EQ(saved.MailboxDir, home() + "Box");
    EXPECT_EQ(saved.SendDir, home() + "Send"); // untouched values stay
    EXPECT_TRUE(QFileInfo(path("In/Coming")).isDir());
    EXPECT_EQ(workspace().recvDir, home() + "In/Coming/");
    EXPECT_EQ(workspace().senderId, "BR0002");
}

} // namespace
