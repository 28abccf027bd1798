#include "platform/process_list.h"
#include "tests/support/workspace_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

mode_t ModeOf(const QString& path)
{
    struct stat st;
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 0;
}

// The umask a user started the tool with, for one test.
class UserUmask
{
public:
    explicit UserUmask(mode_t mask) : m_previous(umask(mask)) {}
    ~UserUmask() { umask(m_previous); }

private:
    mode_t m_previous;
};

struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class Tool : public testing_support::WorkspaceTest
{
protected:
    ToolRun tool(const QStringList& args, const QProcessEnvironment& env = {})
    {
        QProcess p;
        if (!env.isEmpty())
            p.setProcessEnvironment(env);
        p.setProgram(QFileInfo(platform::OwnExecutable()).absolutePath() + "/pelmar-tool");
        p.setArguments(args);
        p.start();
        EXPECT_TRUE(p.waitForFinished(30000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
};

TEST_F(Tool, PrepareDbMakesAWorkspaceAndIsRepeatable)
{
    const QString ws = home() + "branch";
    ToolRun r = tool({"prepare-db", "--home", ws});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("database created")) << r.out.toStdString();
    for (const char* d : {"Data/Pelmar.db", "Send/Old", "Recv/Old", "Result"})
        EXPECT_TRUE(QFileInfo::exists(ws + "/" + d)) << d;
    // Nothing but the database and the change record stays in Data/.
    EXPECT_EQ(QDir(ws + "/Data").entryList(QDir::Files, QDir::Name),
              (QStringList{"Audit.db", "Pelmar.db"}));

    r = tool({"--home", ws, "prepare-db"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("database migrated"));
    EXPECT_EQ(tool({"--home", ws, "check"}).exitCode, 0);
}

// Without --home every program works in the user's own workspace, never in
// its own (possibly shared, read-only) folder, and makes it private however
// open the user's umask is; the launcher's first start asks for quiet.
TEST_F(Tool, WithoutHomeThePreparedWorkspaceIsTheUsersAndPrivate)
{
    const UserUmask open(022);
    const struct
    {
        const char* xdgDataHome; // empty: unset
        const char* pelmarHome;  // empty: unset
        const char* workspace;
    } cases[] = {
        {"xdg", "", "xdg/Pelmar"},
        {"", "", "user/.local/share/Pelmar"},
        {"relative/xdg", "", "user/.local/share/Pelmar"}, // not a valid XDG folder
        {"xdg", "named", "named"},
    };
    for (const auto& c : cases) {
        QDir(path("user")).removeRecursively();
        QDir(path("xdg")).removeRecursively();
        QDir(path("named")).removeRecursively();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", path("user"));
        env.remove("XDG_DATA_HOME");
        if (*c.xdgDataHome)
            env.insert("XDG_DATA_HOME", QString(c.xdgDataHome).startsWith("relative")
                                            ? QString(c.xdgDataHome)
                                            : path(c.xdgDataHome));
        if (*c.pelmarHome)
            env.insert("PELMAR_HOME", path(c.pelmarHome));
        const ToolRun r = tool({"--quiet", "prepare-db"}, env);
        const QString ws = path(c.workspace);
        ASSERT_EQ(r.exitCode, 0) << c.workspace << r.err.toStdString();
        EXPECT_EQ(r.out.toStdString(), "") << c.workspace;
        EXPECT_EQ(ModeOf(ws), 0700u) << c.workspace;
        EXPECT_EQ(ModeOf(ws + "/Data"), 0700u) << c.workspace;
        EXPECT_EQ(ModeOf(ws + "/Data/Pelmar.db"), 0600u) << c.workspace;
        EXPECT_EQ(ModeOf(ws + "/Send/Old"), 0700u) << c.workspace;
    }
}

// backup --to makes a folder that is not there yet. Inside the workspace it
// is private; elsewhere the folder and the archive follow the user's umask.
TEST_F(Tool, BackupMakesAMissingFolderPrivateOnlyInsideTheWorkspace)
{
    const UserUmask open(022);
    const QString ws = path("branch");
    ASSERT_EQ(tool({"--home", ws, "--quiet", "prepare-db"}).exitCode, 0);
    const struct
    {
        QString made; // the first folder that did not exist
        QString target;
        mode_t folder;
        mode_t archive;
    } cases[] = {
        {path("elsewhere"), path("elsewhere/monthly"), 0755, 0644},
        {ws + "/Out", ws + "/Out/monthly", 0700, 0600},
    };
    for (const auto& c : cases) {
        const ToolRun b = tool({"--home", ws, "backup", "--to", c.target});
        ASSERT_EQ(b.exitCode, 0) << c.target.toStdString() << b.err.toStdString();
        const QStringList archives = QDir(c.target).entryList({"FA*.zip"}, QDir::Files);
        ASSERT_EQ(archives.size(), 1) << c.target.toStdString();
        EXPECT_EQ(ModeOf(c.made), c.folder) << c.made.toStdString();
        EXPECT_EQ(ModeOf(c.target), c.folder) << c.target.toStdString();
        EXPECT_EQ(ModeOf(c.target + "/" + archives[0]), c.archive) << c.target.toStdString();
    }
    // A folder that cannot be made is said, and nothing is written.
    writeFile("plain", "a file, not a folder");
    const ToolRun blocked = tool({"--home", ws, "backup", "--to", path("plain/monthly")});
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_TRUE(blocked.err.contains(QStringLiteral("폴더를 만들 수 없습니다.")))
        << blocked.err.toStdString();
}

TEST_F(Tool, WrongArgumentsGiveUsage)
{
    for (const QStringList& args : {QStringList{}, QStringList{"no-such-command"},
                                    QStringList{"prepare-db", "extra"}, QStringList{"--home"},
                                    QStringList{"make-blank"}}) {
        const ToolRun r = tool(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("usage:")) << args.join(' ').toStdString();
    }
    const ToolRun help = tool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : {"prepare-db", "make-blank", "check"})
        EXPECT_TRUE(help.out.contains(command)) << command;
}

TEST_F(Tool, ForeignDatabaseFileFailsUntouched)
{
    const QByteArray junk = QByteArray("PK not a database at all ").repeated(200);
    writeFile("branch/Data/Pelmar.db", junk);
    const ToolRun r = tool({"--home", home() + "branch", "prepare-db"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("자료 파일이 손상되었거나"))) << r.err.toStdString();
    EXPECT_EQ(readFile("branch/Data/Pelmar.db"), junk);
}

TEST_F(Tool, MakeBlankWritesAnArchiveThatFillsAWorkspace)
{
    const ToolRun r = tool({"make-blank", home() + "Blank.bin"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(readFile("Blank.bin").startsWith("PK"));
}

TEST_F(Tool, CalendarAndAccountCommandsAnswerFromTheCore)
{
    ToolRun r = tool({"lunar", "2024-02-09", "2024-02-10"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "2024-02-09 2023 12 30 0 1\n2024-02-10 2024 1 1 0 0\n");
    r = tool({"holiday", "2024-09-17", "2024-09-19"});
    EXPECT_EQ(r.out, "2024-09-17 1\n2024-09-18 1\n2024-09-19 0\n");
    r = tool({"holiday", "2024-09-19", "2024-09-17"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("usage: pelmar-tool holiday"));

    r = tool({"account", "11", "3021234567801"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "valid 302-1234-5678-01\n");
    r = tool({"account", "11", "12345"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "invalid 12345\n");
}

TEST_F(Tool, BackupRestoreReorganiseAndCheck)
{
    ASSERT_EQ(tool({"--home", home(), "--quiet", "prepare-db"}).exitCode, 0);
    // The branch calendar's own rows travel with the data.
    const auto branchDays = [&] {
        QStringList days;
        for (const QString& line :
             tool({"--home", home(), "calendar", "list", "2026"}).out.split('\n'))
            if (line.contains("\t지점\t"))
                days.append(line);
        return days;
    };
    ASSERT_EQ(tool({"--home", home(), "calendar", "open", "2026-03-02", "정상 영업"}).exitCode, 0);
    ASSERT_EQ(tool({"--home", home(), "calendar", "add", "2026-03-04", "지점 이전"}).exitCode, 0);
    const QStringList kept = {"2026-03-02\t영업\t지점\t정상 영업",
                              "2026-03-04\t휴무\t지점\t지점 이전"};
    ASSERT_EQ(branchDays(), kept);
    QDir().mkpath(path("bk"));
    const ToolRun b = tool({"--home", home(), "backup", "--to", path("bk")});
    ASSERT_EQ(b.exitCode, 0) << b.err.toStdString();
    const QStringList archives = QDir(path("bk")).entryList({"FA*.zip"}, QDir::Files);
    ASSERT_EQ(archives.size(), 1);
    EXPECT_TRUE(b.out.contains(archives[0]));

    // Without --yes nothing is replaced.
    const ToolRun refused = tool({"--home", home(), "restore", "--from", path("bk/" + archives[0])});
    EXPECT_EQ(refused.exitCode, 2);
    ASSERT_EQ(tool({"--home", home(), "calendar", "remove", "2026-03-04"}).exitCode, 0);
    const ToolRun r = tool({"--home", home(), "--yes", "restore", "--from", path("bk/" + archives[0])});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(branchDays(), kept);
    const ToolRun bad = tool({"--home", home(), "--yes", "restore", "--from", path("bk/nonsense.zip")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains("백업 파일의 형식이 올바르지 않습니다."));

    EXPECT_EQ(tool({"--home", home(), "reorganise"}).exitCode, 0);
    EXPECT_EQ(branchDays(), kept);
    const ToolRun ok = tool({"--home", home(), "check"});
    EXPECT_EQ(ok.exitCode, 0) << ok.out.toStdString() << ok.err.toStdString();

    // A missing index is a layout problem, printed by name.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "ToolTestDrop");
        db.setDatabaseName(path("Data/Pelmar.db"));
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec("DROP INDEX Apt1_State"));
        db.close();
    }
    QSqlDatabase::removeDatabase("ToolTestDrop");
    const ToolRun broken = tool({"--home", home(), "check"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_TRUE(broken.out.contains("problem index Apt1.Apt1_State missing")) << broken.out.toStdString();
}

TEST_F(Tool, SendEvidenceReadsItsListAndStopsWithoutAKey)
{
    const QString ws = home() + "branch";
    ASSERT_EQ(tool({"prepare-db", "--home", ws}).exitCode, 0);
    writeFile("keys.txt", "B000000002,11,1234567890123,101\r\n\r\n");
    writeFile("bad.txt", "B000000002,11\n");
    for (const QStringList& args :
         {QStringList{"--home", ws, "send-evidence"},
          QStringList{"--home", ws, "send-evidence", "--consents", path("bad.txt")},
          QStringList{"--home", ws, "send-evidence", "--consents", path("none.txt")}})
        EXPECT_EQ(tool(args).exitCode, 2) << args.join(' ').toStdString();
    const ToolRun r = tool({"--home", ws, "send-evidence", "--consents", path("keys.txt")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("기관의 증빙키가 등록 되어 있지 않습니다.")))
        << r.err.toStdString();
}

// The folders the program empties, each turned into a link to a folder of
// the user's: every command refuses, and the user's files stay.
TEST_F(Tool, EmptyingFoldersNeverFollowsALinkOutOfTheProgramFolder)
{
    const QString ws = home() + "branch";
    ASSERT_EQ(tool({"prepare-db", "--home", ws}).exitCode, 0);
    ASSERT_EQ(tool({"--home", ws, "link", "setup", "LoginID=BR0001"}).exitCode, 0);
    writeFile("keys.txt", "B000000002,11,1234567890123,101\n");
    struct Case
    {
        const char* folder;
        QStringList command;
    } cases[] = {
        {"Send", {"build-requests"}},
        {"Recv", {"--yes", "receive"}},
        {"Data/Temp", {"reorganise"}},
        {"AUTHTEMP", {"send-evidence", "--consents", path("keys.txt")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const QString mine = home() + "mine/" + c.folder;
        writeFile(QString("mine/%1/keep.txt").arg(c.folder), "the user's");
        QDir(ws + "/" + c.folder).removeRecursively();
        ASSERT_TRUE(QFile::link(mine, ws + "/" + c.folder));
        tool(QStringList{"--home", ws, "--quiet"} + c.command);
        EXPECT_TRUE(QFileInfo::exists(mine + "/keep.txt"));
        QFile::remove(ws + "/" + c.folder);
    }
}

// Settings files are read only as small regular files: whatever else stands
// at their place is refused at once with its name, before the command's
// work, instead of waiting on a pipe or reading a device for ever.
TEST_F(Tool, SettingsFilesThatAreNoSmallFilesAreRefusedByName)
{
    const QString ws = home() + "branch/";
    ASSERT_EQ(tool({"--home", ws, "prepare-db"}).exitCode, 0);
    const QString firm = ws + "Firm.ini";
    const QString user = qEnvironmentVariable("PELMAR_REGISTRY_DIR") + "/user.ini";
    const QByteArray firmBytes = QFile::exists(firm) ? readFile("branch/Firm.ini") : QByteArray();
    const QByteArray fifo = "fifo";
    const struct
    {
        QString file;
        QByteArray kind; // a pipe, a link to /dev/zero, or a file this large
        qint64 size;
    } cases[] = {
        {firm, fifo, 0},
        {firm, "/dev/zero", 0},
        {firm, "", 50 * 1024 * 1024},
        {user, fifo, 0},
    };
    for (const auto& c : cases) {
        const QString aside = c.file + ".aside";
        ASSERT_TRUE(!QFile::exists(c.file) || QFile::rename(c.file, aside));
        const QByteArray name = QFile::encodeName(c.file);
        if (c.kind == fifo) {
            ASSERT_EQ(mkfifo(name.constData(), 0600), 0);
        } else if (!c.kind.isEmpty()) {
            ASSERT_TRUE(QFile::link(QString::fromLatin1(c.kind), c.file));
        } else {
            QFile big(c.file);
            ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(c.size));
        }
        // Killed when it hangs: a refusal takes a moment.
        QProcess p;
        p.start(QFileInfo(platform::OwnExecutable()).absolutePath() + "/pelmar-tool",
                {"--home", ws, "lines", "--batch", "1"});
        const bool ended = p.waitForFinished(15000);
        if (!ended)
            p.kill();
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_TRUE(ended) << c.file.toStdString() << " " << c.kind.toStdString();
        EXPECT_EQ(p.exitCode(), 1) << c.file.toStdString() << " " << c.kind.toStdString();
        EXPECT_TRUE(err.contains(c.file)) << err.toStdString();
        p.waitForFinished();
        ASSERT_TRUE(QFile::remove(c.file));
        ASSERT_TRUE(!QFile::exists(aside) || QFile::rename(aside, c.file));
    }

    // A link is read through, but never written through: a command that
    // writes refuses it by name and the file it points at stays as it was.
    writeFile("elsewhere/Firm.ini", firmBytes);
    ASSERT_TRUE(!QFile::exists(firm) || QFile::remove(firm));
    ASSERT_TRUE(QFile::link(path("elsewhere/Firm.ini"), firm));
    ToolRun r = tool({"--home", ws, "check"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = tool({"--home", ws, "calendar", "add", "2024-03-22", QStringLiteral("창립기념일")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(firm)) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo(firm).isSymLink());
    EXPECT_EQ(readFile("elsewhere/Firm.ini"), firmBytes);
}

TEST_F(Tool, MissingAccountRulesAreSaidOnceAndNumbersStillAccepted)
{
    // An installation whose data/ folder lost the rules file.
    const QString own = QFileInfo(platform::OwnExecutable()).absolutePath() + "/pelmar-tool";
    QDir().mkpath(home() + "bare");
    ASSERT_TRUE(QFile::copy(own, home() + "bare/pelmar-tool"));
    struct Case
    {
        QString program;
        int said;
    } cases[] = {{own, 0}, {home() + "bare/pelmar-tool", 1}};
    for (const Case& c : cases) {
        QProcess p;
        p.start(c.program, {"--home", home() + "branch", "account", "04", "1234567890"});
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 0) << c.program.toStdString();
        EXPECT_EQ(err.count(QStringLiteral("계좌번호 검사 규칙 파일을 읽을 수 없습니다.")), c.said)
            << c.program.toStdString() << ": " << err.toStdString();
        if (c.said) {
            EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()), "valid 1234567890\n");
        }
    }
}

// The folders a reorganisation or a restore builds and removes, each left as
// a link to a folder of the user's: the link goes, never the user's files,
// and the work is done.
TEST_F(Tool, RemovedFoldersThatAreLinksLoseTheLinkNotTheFiles)
{
    const QString ws = home() + "branch";
    ASSERT_EQ(tool({"prepare-db", "--home", ws}).exitCode, 0);
    QDir().mkpath(path("bk"));
    ASSERT_EQ(tool({"--home", ws, "backup", "--to", path("bk")}).exitCode, 0);
    const QStringList archives = QDir(path("bk")).entryList({"FA*.zip"}, QDir::Files);
    ASSERT_EQ(archives.size(), 1);
    const QStringList restore{"--yes", "restore", "--from", path("bk/" + archives[0])};
    const struct
    {
        const char* folder;
        QStringList command;
    } cases[] = {
        {"Data/New", {"reorganise"}},
        {"Data.restore", restore},
        {"Data.old", restore},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        const QString mine = home() + "mine/" + c.folder;
        writeFile(QString("mine/%1/keep.txt").arg(c.folder), "the user's");
        ASSERT_TRUE(QFile::link(mine, ws + "/" + c.folder));
        const ToolRun r = tool(QStringList{"--home", ws, "--quiet"} + c.command);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(readFile(QString("mine/%1/keep.txt").arg(c.folder)), "the user's");
        EXPECT_FALSE(QFileInfo(ws + "/" + c.folder).isSymLink());
        EXPECT_EQ(tool({"--home", ws, "check"}).exitCode, 0);
    }
}
