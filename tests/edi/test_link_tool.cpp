// pelmar-tool's link commands, run as support staff would run them.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

class LinkTool : public ::testing::Test
{
protected:
    ToolRun tool(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PELMAR_REGISTRY_DIR", m_registry.path());
        env.insert("PELMAR_NOW", "2024-03-15 10:30:00");
        env.remove("PELMAR_HOME");
        p.setProcessEnvironment(env);
        p.start(PELMAR_TOOL, QStringList{"--home", m_home.path()} + args);
        EXPECT_TRUE(p.waitForFinished(30000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QString path(const QString& relative) const { return m_home.path() + "/" + relative; }

    QTemporaryDir m_home;
    QTemporaryDir m_registry;
};

TEST_F(LinkTool, SendsReceivesAndSetsUpThroughTheMailbox)
{
    ToolRun r = tool({"link", "send"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "0 송신할 파일이 없습니다\n");

    QFile request(path("Send/Apt_1"));
    ASSERT_TRUE(request.open(QIODevice::WriteOnly));
    request.write("request");
    request.close();
    r = tool({"link", "send-receive"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "sent yes, received yes\n1 ?????\n");
    EXPECT_TRUE(QFile::exists(path("Mailbox/Outbox/Apt_1")));

    r = tool({"link", "setup", "LoginID=BR0001"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "1 정상 처리 되었습니다.\n");

    r = tool({"link", "result"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "1 송수신 결과 파일 수신 완료\n");
    QFile report(path("Result/RptEDI"));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_EQ(report.readAll().mid(3, 8), "Apt_1   ");

    EXPECT_EQ(tool({"link", "setup", "Colour=red"}).exitCode, 2);
    EXPECT_EQ(tool({"link", "fetch"}).exitCode, 2);
    EXPECT_EQ(tool({"link"}).exitCode, 2);
}

// An empty or relative folder would be taken from the current folder, and
// the next exchange would empty it: refused, and nothing of the call stored.
TEST_F(LinkTool, SetupRefusesFoldersThatAreEmptyRelativeOrNeverToBeEmptied)
{
    ASSERT_EQ(tool({"link", "setup", "LoginID=BR0001"}).exitCode, 0);
    const QString before = tool({"link", "show"}).out;
    const struct
    {
        QString setting;
        const char* message;
    } cases[] = {
        {"SendDir=", "송신 디렉토리를 입력하십시오."},
        {"SendDir=.", "송신 디렉토리 \".\"는 전체 경로가 아닙니다."},
        {"RecvDir=  ", "수신 디렉토리를 입력하십시오."},
        {"RecvDir=Recv", "수신 디렉토리 \"Recv\"는 전체 경로가 아닙니다."},
        {"ResultDir=", "결과 디렉토리를 입력하십시오."},
        {"MailboxDir=../box", "우편함 폴더 \"../box\"는 전체 경로가 아닙니다."},
        {"SendDir=" + m_home.path(), "는 송수신 전에 파일을 모두 지우는 폴더이므로"},
        {"RecvDir=/", "는 송수신 전에 파일을 모두 지우는 폴더이므로"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting.toStdString());
        const ToolRun r = tool({"link", "setup", c.setting, "LoginID=BR0002"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_EQ(tool({"link", "show"}).out, before);
    }
    // Empty script and mailbox folders stay allowed (the mailbox takes its default).
    EXPECT_EQ(tool({"link", "setup", "ScriptDir=", "MailboxDir="}).exitCode, 0);
}

} // namespace
