// A send or a receive killed at every step that touches the data, the
// request and answer files or the mailbox (an injected SIGKILL at the Nth
// call, not a timed one), followed by the ordinary next steps: no line
// reaches the centre twice, no answer is lost, and every waiting batch has
// gone exactly once after one more send.

#include "tests/exchange/tool_exchange_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

using testing_support::ProgramRun;

// The calls a kill is injected at, each counted on its own.
const char* const kCalls[] = {"openat",    "write",  "pwrite64", "rename",
                              "renameat2", "unlink", "fsync",    "fdatasync"};

class CutOffExchange : public exchange_tests::ToolExchangeTest
{
protected:
    void SetUp() override
    {
        ToolExchangeTest::SetUp();
        if (QStandardPaths::findExecutable("strace").isEmpty())
            GTEST_SKIP() << "strace is not installed";
        addInstitution(QStringLiteral("초록마을아파트"), "B123456789", "BB100", "BB200");
        addBatch(1, "A123456789", "2024-03-20");
        addLine(1, "101", "1203", "13", "301-0123-4567-81", 10000);
        addLine(1, "102", "301", "11", "352-1234-5678-93", 30000);
        addBatch(2, "B123456789", "2024-03-20");
        addLine(2, "201", "101", "04", "12345678901", 5000);
        dm.reset(); // the test looks at the file through a connection of its own
    }

    ProgramRun sim() { return testing_support::RunProgram(CLEARING_SIM, home(), {}); }

    // The workspace as it is now, to go back to before each kill.
    void keep(QTemporaryDir& into)
    {
        ASSERT_EQ(QProcess::execute("cp", {"-a", home() + ".", into.path()}), 0);
    }
    void restore(const QTemporaryDir& from)
    {
        QDir(home()).removeRecursively();
        QDir().mkpath(home());
        ASSERT_EQ(QProcess::execute("cp", {"-a", from.path() + "/.", home()}), 0);
    }

    // Every path of the workspace a send or receive writes.
    QStringList watched() const
    {
        QStringList paths{path("Data/Pelmar.db"), path("Data/Pelmar.db-journal"),
                          path("Mailbox/Journal.txt")};
        for (const QString& name : {"Apt_1", "Apt_2"})
            for (const QString& dir : {QString("Send/"), QString("Send/Old/20240315/"),
                                       QString("Mailbox/Partial/"), QString("Mailbox/Outbox/")})
                paths.append(path(dir + name));
        for (const QString& name : {"AB200", "BB200"})
            for (const QString& dir : {QString("Recv/"), QString("Recv/Old/20240315/"),
                                       QString("Mailbox/Inbox/"), QString("Mailbox/Received/")})
                paths.append(path(dir + name));
        return paths;
    }

    // pelmar-tool ARGS with a SIGKILL at the `n`th `call` on a watched path;
    // true when the kill came (false: the command ran to its end first).
    bool killedAt(const char* call, int n, const QStringList& args)
    {
        const QString log = path("strace.log");
        QStringList strace{"-f",
                           "-o",
                           log,
                           "-e",
                           QString("trace=") + call,
                           "-e",
                           QString("inject=%1:signal=KILL:when=%2").arg(call).arg(n)};
        for (const QString& p : watched())
            strace << "-P" << p;
        strace << PELMAR_TOOL << "--home" << home() << args;
        QProcessEnvironment env = testing_support::ProgramEnvironment();
        QProcess p;
        p.setProcessEnvironment(env);
        p.start("strace", strace);
        EXPECT_TRUE(p.waitForFinished(60000));
        QFile f(log);
        const bool killed =
            f.open(QIODevice::ReadOnly) && f.readAll().contains("killed by SIGKILL");
        f.close();
        QFile::remove(log);
        return killed;
    }

    // The data as a fresh reader sees it.
    QString query(const QString& sql)
    {
        QString out;
        {
            QSqlDatabase check = QSqlDatabase::addDatabase("QSQLITE", "cut-off-check");
            check.setDatabaseName(path("Data/Pelmar.db"));
            EXPECT_TRUE(check.open());
            QSqlQuery q(check);
            EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
            QStringList rows;
            while (q.next()) {
                QStringList cols;
                for (int i = 0; i < q.record().count(); ++i)
                    cols.append(q.value(i).toString());
                rows.append(cols.join('|'));
            }
            out = rows.join('\n');
        }
        QSqlDatabase::removeDatabase("cut-off-check");
        return out;
    }

    // Request data records that reached the centre, over every file it took.
    int linesAtTheCentre()
    {
        int lines = 0;
        for (const QString& dir : {QString("Mailbox/Answered/"), QString("Mailbox/Outbox/")})
            for (const QString& name : QDir(path(dir)).entryList(QDir::Files))
                for (const QByteArray& record : readFile(dir + name).split('\n'))
                    lines += record.startsWith('D') ? 1 : 0;
        return lines;
    }

    // Runs `args` killed at each step in turn, each time from the workspace
    // as it is now; after each kill `next` takes the ordinary steps and the
    // whole cycle is checked. Returns the kills made.
    int killEverywhere(const QStringList& args,
                       const std::function<void(const std::string& where)>& next)
    {
        QTemporaryDir before;
        keep(before);
        int kills = 0;
        for (const char* call : kCalls) {
            for (int n = 1;; ++n) {
                restore(before);
                if (!killedAt(call, n, args))
                    break;
                ++kills;
                const std::string where = std::string(call) + " #" + std::to_string(n);
                next(where);
                expectWholeCycle(where);
                if (HasFailure())
                    return kills;
            }
        }
        return kills;
    }

    // After the ordinary steps: every batch went once and is answered.
    void expectWholeCycle(const std::string& where)
    {
        SCOPED_TRACE(where);
        EXPECT_EQ(linesAtTheCentre(), 3);
        EXPECT_EQ(query("SELECT AptID, State FROM Apt1 ORDER BY AptID"), "1|3\n2|3");
        EXPECT_EQ(query("SELECT Count(*) FROM Apt2 WHERE IcheYebu NOT IN ('Y', 'X') "
                        "OR IcheYebu IS NULL"),
                  "0");
        EXPECT_EQ(query("SELECT Count(*) FROM SendJournal WHERE Closed IS NULL"), "0");
        EXPECT_EQ(query("SELECT Count(*) FROM ReceivedAnswer WHERE Applied IS NOT NULL"), "2");
    }
};

TEST_F(CutOffExchange, ASendKilledAtAnyStepGoesExactlyOnce)
{
    const int kills = killEverywhere({"--yes", "send"}, [this](const std::string& where) {
        const ProgramRun again = tool({"--yes", "send"});
        EXPECT_EQ(again.exitCode, 0) << where << again.out.toStdString() << again.err.toStdString();
        EXPECT_EQ(sim().exitCode, 0) << where;
        const ProgramRun received = tool({"receive"});
        EXPECT_EQ(received.exitCode, 0) << where << received.out.toStdString();
    });
    EXPECT_GT(kills, 20);
    std::cout << "send killed at " << kills << " steps\n";
}

TEST_F(CutOffExchange, AReceiveKilledAtAnyStepLosesNoAnswerAndAppliesNoneTwice)
{
    ASSERT_EQ(tool({"--yes", "send"}).exitCode, 0);
    ASSERT_EQ(sim().exitCode, 0);
    const int kills = killEverywhere({"receive"}, [this](const std::string& where) {
        const ProgramRun received = tool({"receive"});
        // A transaction over the data and the change record is committed
        // when its super-journal goes, before each file's journal: killed
        // there, the receive was complete and the next one finds nothing.
        const bool nothingLeft =
            received.exitCode == 1 &&
            (received.out + received.err).contains(QStringLiteral("수신할 파일이 없습니다"));
        EXPECT_TRUE(received.exitCode == 0 || nothingLeft)
            << where << received.out.toStdString() << received.err.toStdString();
    });
    EXPECT_GT(kills, 10);
    std::cout << "receive killed at " << kills << " steps\n";
}

TEST_F(CutOffExchange, AFullMailboxLeavesNothingHalfWrittenAndTheRestGoesNextTime)
{
    // The mailbox's disk fills while the second file is written.
    const QString log = path("strace.log");
    QStringList strace{"-f",
                       "-o",
                       log,
                       "-e",
                       "trace=write",
                       "-e",
                       "inject=write:error=ENOSPC:when=1",
                       "-P",
                       path("Mailbox/Partial/Apt_2"),
                       PELMAR_TOOL,
                       "--home",
                       home(),
                       "--yes",
                       "send"};
    QProcess p;
    p.setProcessEnvironment(testing_support::ProgramEnvironment());
    p.start("strace", strace);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1) << p.readAllStandardOutput().toStdString();

    // Nothing cut short reached the centre; the file stays to be sent.
    EXPECT_EQ(QDir(path("Mailbox/Outbox")).entryList(QDir::Files), QStringList{"Apt_1"});
    EXPECT_EQ(readFile("Mailbox/Outbox/Apt_1"), readFile("Send/Old/20240315/Apt_1"));
    EXPECT_TRUE(QDir(path("Mailbox/Partial")).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(path("Send/Apt_2")));
    // What went is recorded from the report at once, the rest waits.
    EXPECT_EQ(query("SELECT AptID, State FROM Apt1 ORDER BY AptID"), "1|2\n2|1");

    ASSERT_EQ(tool({"--yes", "send"}).exitCode, 0);
    ASSERT_EQ(sim().exitCode, 0);
    ASSERT_EQ(tool({"receive"}).exitCode, 0);
    expectWholeCycle("after the full disk");
}

TEST_F(CutOffExchange, AnAnswerFetchedButNeverKeptComesAgainWithTheNext)
{
    ASSERT_EQ(tool({"--yes", "send"}).exitCode, 0);
    ASSERT_EQ(sim().exitCode, 0);
    // The link fetched the answers, then the receive folder was lost before
    // the program kept them.
    ASSERT_EQ(tool({"link", "receive"}).exitCode, 0);
    QDir(path("Recv/Old")).removeRecursively();
    for (const QString& name : QDir(path("Recv")).entryList(QDir::Files))
        QFile::remove(path("Recv/" + name));
    // The next month's answer arrives; the mailbox still has the first ones.
    ASSERT_EQ(tool({"receive"}).exitCode, 0);
    EXPECT_EQ(query("SELECT AptID, State FROM Apt1 ORDER BY AptID"), "1|3\n2|3");
    EXPECT_EQ(query("SELECT Count(*) FROM ReceivedAnswer WHERE Applied IS NOT NULL"), "2");
    // Confirmed kept, the mailbox lets them go with the next answer.
    writeFile("Mailbox/Inbox/XX999", "other\r\n");
    ASSERT_EQ(tool({"receive"}).exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(path("Mailbox/Received/BB200")));
}

TEST_F(CutOffExchange, AnAnswerKeptButNotAppliedIsAppliedOnceAndSaidSo)
{
    ASSERT_EQ(tool({"--yes", "send"}).exitCode, 0);
    ASSERT_EQ(sim().exitCode, 0);
    // Fetched and kept by the link command, never applied.
    ASSERT_EQ(tool({"link", "receive"}).exitCode, 0);
    ProgramRun r = tool({"receive"});
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("이전 수신에서 반영되지 않은 파일을 반영합니다.")))
        << r.err.toStdString();
    EXPECT_EQ(query("SELECT AptID, State FROM Apt1 ORDER BY AptID"), "1|3\n2|3");

    // The same answers given again change nothing and say why.
    r = tool({"re-receive"});
    EXPECT_TRUE(r.err.contains(QStringLiteral("이미 반영된 파일입니다"))) << r.err.toStdString();
    r = tool({"apply-results", path("Recv/Old/20240315/AB200")});
    EXPECT_TRUE(r.err.contains(QStringLiteral("이미 반영된 파일입니다"))) << r.err.toStdString();
    EXPECT_EQ(query("SELECT Count(*) FROM ReceivedAnswer WHERE Applied IS NOT NULL"), "2");
}

TEST_F(CutOffExchange, AReceiveWhoseDataIsTakenMidRunKeepsItsAnswersForTheNext)
{
    ASSERT_EQ(tool({"--yes", "send"}).exitCode, 0);
    ASSERT_EQ(sim().exitCode, 0);
    // The receive stops for a moment once the link has taken the second
    // answer out of the mailbox; at that moment another program takes the
    // data and keeps it until the receive has ended.
    const QString log = path("strace.log");
    QProcess p;
    p.setProcessEnvironment(testing_support::ProgramEnvironment());
    p.start("strace", {"-f", "-o", log, "-e", "trace=openat", "-e",
                       "inject=openat:delay_exit=1000000:when=2", "-P",
                       path("Mailbox/Journal.txt"), PELMAR_TOOL, "--home", home(), "receive"});
    ASSERT_TRUE(p.waitForStarted());
    const auto delayed = [&] {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) && f.readAll().contains("(DELAYED)");
    };
    while (!delayed() && !p.waitForFinished(20)) {
    }
    ASSERT_EQ(p.state(), QProcess::Running) << "the receive ended before the link's second answer";
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-program");
        other.setDatabaseName(path("Data/Pelmar.db"));
        ASSERT_TRUE(other.open());
        QSqlQuery hold(other);
        ASSERT_TRUE(hold.exec("BEGIN EXCLUSIVE")) << hold.lastError().text().toStdString();
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_TRUE(hold.exec("COMMIT")) << hold.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase("other-program");
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(p.exitCode(), 1) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("자료를 다른 프로그램이 사용하고 있습니다."))) << out.toStdString();
    // The answers are named where they wait, and none was applied.
    for (const QString name : {"AB200", "BB200"})
        EXPECT_TRUE(out.contains(QDir::toNativeSeparators(path("Recv/" + name))))
            << out.toStdString();
    EXPECT_EQ(query("SELECT AptID, State FROM Apt1 ORDER BY AptID"), "1|2\n2|2");

    // The next ordinary receive applies them.
    const ProgramRun next = tool({"receive"});
    EXPECT_EQ(next.exitCode, 0) << next.out.toStdString() << next.err.toStdString();
    expectWholeCycle("after the data was given back");
}

} // namespace
