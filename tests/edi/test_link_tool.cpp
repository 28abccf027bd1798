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
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput())};
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

    r = tool({"link", "setup", "RecvDir=", "LoginID=BR0001"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "1 정상 처리 되었습니다.\n");
    r = tool({"link", "receive"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "-20 디렉토리 설정이 되어 있지 않습니다\n");

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

} // namespace
