// A backup brings the whole branch back: the demo installation, backed up
// and restored into an emptied workspace, through pelmar-tool and through
// Vandry's window; and a restore never cuts into another program's
// transaction on the data.

#include "edi/mailbox_link.h"
#include "maintenance/ui/tfm_vandry.h"
#include "shell/log.h"
#include "shell/workspace.h"
#include "tests/maintenance/maintenance_fixture.h"
#include "tests/support/program_run.h"
#include "tests/support/qt_app.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>

using testing_support::MaintenanceTest;
using testing_support::ProgramRun;

namespace {

// pelmar-tool on the installation `home`, at the fixtures' moment; the demo
// and a restore with its reorganisation take a while on a busy machine.
ProgramRun Tool(const QString& home, const QStringList& args)
{
    QProcess p;
    p.setProcessEnvironment(testing_support::ProgramEnvironment());
    p.start(PELMAR_TOOL, QStringList{"--home", home} + args);
    EXPECT_TRUE(p.waitForFinished(300000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// Every file of the folders a backup carries besides the tables, by its
// path in the workspace.
QMap<QString, QByteArray> carriedFiles(const QString& home)
{
    QMap<QString, QByteArray> files;
    for (const char* folder : {"AUTHFILE", "Send/Old", "Recv/Old"}) {
        QDirIterator it(home + folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
            files.insert(QDir(home).relativeFilePath(f.fileName()), f.readAll());
        }
    }
    return files;
}

void emptyFolder(const QString& dir)
{
    QDir d(dir);
    for (const QFileInfo& f :
         d.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        ASSERT_TRUE(f.isDir() && !f.isSymLink() ? QDir(f.filePath()).removeRecursively()
                                                : QFile::remove(f.filePath()));
    ASSERT_TRUE(d.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

} // namespace

class WholeBackup : public MaintenanceTest
{
protected:
    void SetUp() override
    {
        testing_support::QtApp();
        MaintenanceTest::SetUp();
        const auto made = Tool(demoHome(), {"--quiet", "make-demo"});
        ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
        m_tables = dump(demoHome() + "Data/Pelmar.db");
        m_files = carriedFiles(demoHome());
        // The demo's evidence and its first send's request files.
        ASSERT_GT(m_files.keys().filter(QRegularExpression("^AUTHFILE/")).size(), 200);
        ASSERT_GT(m_files.keys().filter(QRegularExpression("^Send/Old/")).size(), 0);
        QDir().mkpath(path("bk"));
    }

    QString demoHome() const { return path("demo/"); }

    void expectAllBack()
    {
        EXPECT_EQ(dump(demoHome() + "Data/Pelmar.db"), m_tables);
        const QMap<QString, QByteArray> files = carriedFiles(demoHome());
        EXPECT_EQ(files.keys(), m_files.keys());
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
            EXPECT_TRUE(files.value(it.key()) == it.value()) << it.key().toStdString();
    }

    QStringList m_tables;
    QMap<QString, QByteArray> m_files;
};

TEST_F(WholeBackup, ThroughTheTool)
{
    const auto b = Tool(demoHome(), {"backup", "--to", path("bk")});
    ASSERT_EQ(b.exitCode, 0) << b.err.toStdString();
    emptyFolder(demoHome());
    const auto r = Tool(demoHome(), {"--yes", "restore", "--from", path("bk/FA2403151030.zip")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    expectAllBack();
    EXPECT_EQ(Tool(demoHome(), {"check"}).exitCode, 0);
}

TEST_F(WholeBackup, ThroughVandrysWindow)
{
    shell::Workspace ws = shell::LoadWorkspacePaths(demoHome());
    shell::SetLogWorkspace(ws);
    edi::MailboxLink link(ws);
    maintenance::ui::TfmVandry vandry(ui, link, ws, {});
    ui.answerChooser(path("bk"));
    ASSERT_TRUE(vandry.BtnBackupClick()) << ui.texts("error").join("/").toStdString();
    emptyFolder(demoHome());
    ui.clear();
    ui.answerChooser(path("bk/FA240315.zip"));
    ASSERT_TRUE(vandry.BtnRestoreClick()) << ui.texts("error").join("/").toStdString();
    EXPECT_EQ(ui.texts("info"), QStringList{"자료 복구가 완료되었습니다."});
    expectAllBack();
}

// The sqlite3 tool holds the data in a transaction of its own: the restore
// refuses as a backup would, and the other program's transaction commits.
class RestoreLock : public MaintenanceTest
{
};

TEST_F(RestoreLock, RefusedWhileAnotherProgramHoldsTheData)
{
    makeDatabase(3);
    QDir().mkpath(path("bk"));
    ASSERT_EQ(Tool(home(), {"backup", "--to", path("bk")}).exitCode, 0);
    exec({"INSERT INTO Apt2 (Apt2ID, AptID, Dong, Ho) VALUES (1, 1, '101', '1001')"});
    for (const char* begin : {"BEGIN IMMEDIATE;", "BEGIN EXCLUSIVE;"}) {
        SCOPED_TRACE(begin);
        QProcess other;
        other.start("sqlite3", {"-bail", dbFile()});
        ASSERT_TRUE(other.waitForStarted());
        other.write(QByteArray(begin) + "\nDELETE FROM Apt2;\nSELECT 'open';\n");
        QByteArray said;
        while (!said.contains("open") && other.waitForReadyRead(30000))
            said += other.readAllStandardOutput();
        ASSERT_TRUE(said.contains("open")) << other.readAllStandardError().toStdString();

        const auto r = Tool(home(), {"--yes", "restore", "--from", path("bk/FA2403151030.zip")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains("자료 파일을 다른 프로그램이 사용하고 있습니다."))
            << r.err.toStdString();

        other.write("COMMIT;\nSELECT 'committed';\n");
        other.closeWriteChannel();
        ASSERT_TRUE(other.waitForFinished(30000));
        EXPECT_EQ(other.exitCode(), 0);
        EXPECT_TRUE(other.readAllStandardOutput().contains("committed"));
        EXPECT_EQ(other.readAllStandardError(), "");
        EXPECT_EQ(dump({}, "Apt2"), QStringList{});
        EXPECT_FALSE(QFileInfo::exists(path("Data.restore")));
        exec({"INSERT INTO Apt2 (Apt2ID, AptID, Dong, Ho) VALUES (1, 1, '101', '1001')"});
    }
}
