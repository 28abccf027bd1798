// One writer per workspace, between the real programs: two sends started
// together, pelmar-tool beside a running Pelmar (ended and killed), and
// the desktop programs started beside a holder.

#include "platform/process_lock.h"
#include "shell/workspace_lock.h"
#include "tests/exchange/exchange_fixture.h"
#include "tests/support/program_run.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testing_support::ProgramRun;

// Upper bounds for a process to get somewhere; never a time it is expected to take.
constexpr int kSteps = 1200;
constexpr int kStepMsecs = 25;

QString busyText(const QString& program, qint64 pid)
{
    return QStringLiteral("다른 프로그램(%1, 프로세스 %2)이 작업 폴더를 사용 중입니다.")
        .arg(program)
        .arg(pid);
}

class WorkspaceLockTest : public exchange_tests::ExchangeTest
{
protected:
    ProgramRun tool(const QStringList& args)
    {
        return testing_support::RunProgram(PELMAR_TOOL, home(), args);
    }

    // Two batches of two lines, each batch in a file of its own.
    void addMonth()
    {
        addBatch(1, "A123456789", "2024-03-20");
        addLine(1, "101", "1203", "11", "352-1234-5678-93", 30000);
        addLine(1, "101", "1204", "13", "301-0123-4567-81", 10000);
        addBatch(2, "A123456789", "2024-03-21");
        addLine(2, "103", "101", "05", "98765432101", 20000);
        addLine(2, "103", "102", "12", "301-0123-4567-82", 15000);
    }

    // The transfer records (D) of every file in the outbox.
    int outboxLines() const
    {
        int n = 0;
        const QString outbox = path("Mailbox/Outbox/");
        for (const QString& name : QDir(outbox).entryList(QDir::Files)) {
            QFile f(outbox + name);
            EXPECT_TRUE(f.open(QIODevice::ReadOnly));
            for (const QByteArray& record : f.readAll().split('\n'))
                if (record.startsWith('D') && record.size() > 8)
                    ++n;
        }
        return n;
    }

    QProcessEnvironment desktopEnvironment() const
    {
        QProcessEnvironment env = testing_support::ProgramEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("PELMAR_HOME", QDir::toNativeSeparators(home()));
        // The single-instance beacon lives in the temporary folder: a
        // private one keeps other copies of the program out.
        QDir().mkpath(home() + "tmp");
        env.insert("TMPDIR", home() + "tmp");
        return env;
    }

    // Starts Pelmar and waits until it holds the workspace (it then waits
    // at its password prompt).
    void startPelmar(QProcess& pelmar)
    {
        pelmar.setProcessEnvironment(desktopEnvironment());
        pelmar.start(PELMAR, {});
        ASSERT_TRUE(pelmar.waitForStarted());
        platform::LockHolder h;
        for (int i = 0; i < kSteps && pelmar.state() == QProcess::Running; ++i) {
            h = platform::ProcessLock::ReadHolder(shell::WorkspaceLockPath(workspace()));
            if (h.program == "Pelmar" && h.pid == pelmar.processId())
                return;
            pelmar.waitForFinished(kStepMsecs);
        }
        FAIL() << "Pelmar did not take the workspace: " << h.program.toStdString() << " " << h.pid
               << " " << pelmar.readAllStandardError().toStdString();
    }
};

// Lets `p` end, reading the journal pipe that its link writes into.
void drainUntilFinished(int pipe, QProcess& p)
{
    char buffer[4096];
    for (int i = 0; i < kSteps && p.state() != QProcess::NotRunning; ++i) {
        while (::read(pipe, buffer, sizeof buffer) > 0) {
        }
        p.waitForFinished(kStepMsecs);
    }
}

TEST_F(WorkspaceLockTest, TwoSendsStartedTogetherSendEveryBatchOnce)
{
    ASSERT_EQ(tool({"prepare-db"}).exitCode, 0);
    addMonth();
    ASSERT_EQ(tool({"link", "setup", "LoginID=BR0001"}).exitCode, 0);
    const QString journal = path("Mailbox/Journal.txt");
    const QByteArray journalName = QFile::encodeName(journal);

    for (int pair = 0; pair < 20; ++pair) {
        SCOPED_TRACE(pair);
        exec("UPDATE Apt1 SET State = 1");
        exec("UPDATE Apt2 SET State = 1");
        QDir(path("Mailbox/Outbox")).removeRecursively();
        QFile::remove(journal);
        QDir().mkpath(path("Mailbox"));
        // The link's journal as a pipe: the run that sends stops at it
        // until this test reads, so the other run meets it mid-send
        // however the two are scheduled.
        ASSERT_EQ(::mkfifo(journalName.constData(), 0600), 0);

        QProcess runs[2];
        for (QProcess& p : runs) {
            p.setProcessEnvironment(testing_support::ProgramEnvironment());
            p.start(PELMAR_TOOL, {"--home", home(), "--yes", "send"});
        }
        qint64 pids[2];
        for (int k = 0; k < 2; ++k) {
            ASSERT_TRUE(runs[k].waitForStarted());
            pids[k] = runs[k].processId();
        }
        int first = -1;
        for (int i = 0; i < kSteps && first < 0; ++i)
            for (int k = 0; k < 2 && first < 0; ++k)
                if (runs[k].state() == QProcess::NotRunning || runs[k].waitForFinished(kStepMsecs))
                    first = k;
        const int pipe = ::open(journalName.constData(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(pipe, 0);
        for (QProcess& p : runs)
            drainUntilFinished(pipe, p);
        ::close(pipe);
        if (first < 0) {
            ADD_FAILURE() << "neither run ended while the other one was sending";
        } else {
            QProcess& refused = runs[first];
            QProcess& sender = runs[1 - first];
            const QString refusedErr = QString::fromUtf8(refused.readAllStandardError());
            const QString out = QString::fromUtf8(sender.readAllStandardOutput());
            EXPECT_EQ(refused.exitCode(), 1) << refusedErr.toStdString();
            EXPECT_TRUE(refusedErr.contains(busyText("pelmar-tool", pids[1 - first])))
                << refusedErr.toStdString();
            EXPECT_TRUE(refused.readAllStandardOutput().isEmpty());
            EXPECT_EQ(sender.exitCode(), 0) << sender.readAllStandardError().toStdString();
            EXPECT_TRUE(out.endsWith(QStringLiteral("송신 성공.\n"))) << out.toStdString();
        }

        EXPECT_EQ(filesIn("Mailbox/Outbox"), (QStringList{"Apt_1", "Apt_2"}));
        EXPECT_EQ(outboxLines(), 4);
        EXPECT_EQ(dump("SELECT DISTINCT State FROM Apt2"), "2");
        if (HasFailure())
            break;
    }
}

TEST_F(WorkspaceLockTest, ToolWritesWaitForPelmarEndedOrKilled)
{
    ASSERT_EQ(tool({"prepare-db"}).exitCode, 0);
    addMonth();
    const auto state = [this] { return dump("SELECT State FROM Apt1 WHERE AptID = 1"); };

    QDir().mkpath(path("bk"));
    ASSERT_EQ(tool({"backup", "--to", path("bk")}).exitCode, 0);
    const QString archive = path("bk/") + QDir(path("bk")).entryList({"FA*.zip"}).value(0);
    exec("UPDATE Apt1 SET Bigo = 'after the backup' WHERE AptID = 2");
    const QByteArray database = readFile("Data/Pelmar.db");

    QProcess pelmar;
    startPelmar(pelmar);
    ASSERT_FALSE(HasFailure());
    const QStringList writing[] = {
        {"set-state", "--batch", "1", "--state", "0"}, {"--yes", "send"},
        {"--yes", "restore", "--from", archive},       {"reorganise"},
        {"link", "setup", "LoginID=BR0002"},
    };
    for (const QStringList& args : writing) {
        const ProgramRun r = tool(args);
        EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(busyText("Pelmar", pelmar.processId())))
            << args.join(' ').toStdString() << ": " << r.err.toStdString();
    }
    EXPECT_EQ(readFile("Data/Pelmar.db"), database);
    EXPECT_TRUE(filesIn("Send").isEmpty());
    // Reading goes on beside it.
    const QStringList reading[] = {
        {"lines", "--batch", "1"}, {"check"}, {"holiday", "2024-03-15"}, {"link", "show"}};
    for (const QStringList& args : reading) {
        const ProgramRun r = tool(args);
        EXPECT_EQ(r.exitCode, 0) << args.join(' ').toStdString() << ": " << r.err.toStdString();
    }

    // Ended: the next write goes through.
    ::kill(pid_t(pelmar.processId()), SIGTERM);
    ASSERT_TRUE(pelmar.waitForFinished(30000));
    ProgramRun r = tool({"set-state", "--batch", "1", "--state", "0"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(state(), "0");

    // Killed: nothing it left behind keeps the tool out.
    QProcess again;
    startPelmar(again);
    ASSERT_FALSE(HasFailure());
    EXPECT_EQ(tool({"set-state", "--batch", "1", "--state", "1"}).exitCode, 1);
    ::kill(pid_t(again.processId()), SIGKILL);
    ASSERT_TRUE(again.waitForFinished(30000));
    r = tool({"set-state", "--batch", "1", "--state", "1"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(state(), "1");
}

TEST_F(WorkspaceLockTest, DesktopProgramsBesideAHolderSayWhoAndWriteNothing)
{
    ASSERT_EQ(tool({"prepare-db"}).exitCode, 0);
    addMonth();
    // This test holds the workspace as a command of the tool would.
    shell::WorkspaceLock holder(workspace());
    ASSERT_TRUE(holder.Take("pelmar-tool"));
    const QString expected = busyText("pelmar-tool", qint64(::getpid()));
    const QStringList before = QDir(home()).entryList(QDir::Files | QDir::Dirs, QDir::Name);

    struct Case
    {
        const char* program;
        QStringList args; // Vandry's upgrade step would back up and reorganise at once
    } cases[] = {{PELMAR, {}}, {VANDRY, {"upgrade"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        QProcess p;
        p.setProcessEnvironment(desktopEnvironment());
        p.start(c.program, c.args);
        ASSERT_TRUE(p.waitForStarted());
        QString err;
        for (int i = 0; i < kSteps && !err.contains(expected) && p.state() == QProcess::Running;
             ++i) {
            p.waitForReadyRead(kStepMsecs);
            err += QString::fromUtf8(p.readAllStandardError());
        }
        EXPECT_TRUE(err.contains(expected)) << err.toStdString();
        // The message box is up; an end request closes it.
        ::kill(pid_t(p.processId()), SIGTERM);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 1);
    }
    // No log, no backup, no reorganisation folder: the same entries as before.
    QStringList after = QDir(home()).entryList(QDir::Files | QDir::Dirs, QDir::Name);
    after.removeAll("tmp");
    EXPECT_EQ(after, before);
}

} // namespace
