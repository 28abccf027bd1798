// Starts the real program on a private X server, gets past the password
// prompt as a user would, ends it from outside and reads its log.

#include "platform/process_list.h"
#include "shell/app_info.h"
#include "shell/codec.h"
#include "tests/support/workspace_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

#include <signal.h>

namespace {

// Runs xdotool; true when it succeeded within the time.
bool xdotool(const QProcessEnvironment& env, const QStringList& args, int msecs = 15000)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start("xdotool", args);
    if (!p.waitForFinished(msecs)) {
        p.kill();
        p.waitForFinished();
        return false;
    }
    return p.exitCode() == 0;
}

} // namespace

class PelmarBinary : public testing_support::WorkspaceTest
{};

TEST_F(PelmarBinary, StartsPastThePasswordAndEndsOnSigterm)
{
    if (QStandardPaths::findExecutable("Xvfb").isEmpty()
        || QStandardPaths::findExecutable("xdotool").isEmpty())
        GTEST_SKIP() << "Xvfb and xdotool are installed by scripts/setup";

    QProcess xvfb;
    xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    ASSERT_TRUE(xvfb.waitForStarted());
    QByteArray display;
    for (int i = 0; i < 100 && !display.contains('\n'); ++i) {
        xvfb.waitForReadyRead(100);
        display += xvfb.readAllStandardOutput();
    }
    ASSERT_FALSE(display.trimmed().isEmpty());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", ":" + QString::fromLatin1(display.trimmed()));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("PELMAR_HOME", QDir::toNativeSeparators(home()));
    env.insert("PELMAR_NOW", "2024-03-15 10:30:00");
    // The single-instance beacon lives in the temporary folder: a private
    // one keeps another running copy of the program out of this test.
    QDir().mkpath(home() + "tmp");
    env.insert("TMPDIR", home() + "tmp");

    QProcess pelmar;
    pelmar.setProcessEnvironment(env);
    pelmar.start(QFileInfo(platform::OwnExecutable()).absolutePath() + "/Pelmar", {"test"});
    ASSERT_TRUE(pelmar.waitForStarted());

    EXPECT_TRUE(xdotool(env, {"search", "--sync", "--name", "S/W 비밀번호 확인"}));
    QThread::msleep(300);
    EXPECT_TRUE(xdotool(env, {"key", "Return"}));
    EXPECT_TRUE(xdotool(env, {"search", "--sync", "--name", "지역Tervo"}));
    QThread::msleep(500);

    ::kill(pid_t(pelmar.processId()), SIGTERM);
    EXPECT_TRUE(pelmar.waitForFinished(15000));
    EXPECT_EQ(pelmar.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(pelmar.exitCode(), 0);
    xvfb.terminate();
    xvfb.waitForFinished(5000);

    QFile log(home() + "202403.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QStringList lines = shell::FromCp949(log.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << lines.join('|').toStdString();
    EXPECT_EQ(lines[0], "15 10:30:00      " + shell::kAppTitle + " 시작");
    EXPECT_TRUE(lines[1].endsWith(shell::kAppTitle + " 종료"));
    EXPECT_TRUE(QFileInfo::exists(home() + "Data/Pelmar.db"));
    // A fresh registry gets a complete set of link settings at start.
    QFile registry(QString::fromLocal8Bit(qgetenv("PELMAR_REGISTRY_DIR")) + "/user.ini");
    ASSERT_TRUE(registry.open(QIODevice::ReadOnly));
    const QByteArray settings = registry.readAll();
    EXPECT_TRUE(settings.contains("SendDir")) << settings.toStdString();
    EXPECT_TRUE(settings.contains("RecvDir"));
}
