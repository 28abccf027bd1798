// pelmar-tool is killed (SIGKILL) at random moments while it applies a
// 100,000-line answer or restores a backup. After every kill the next
// program must find a database that passes the check and holds either the
// whole effect of the interrupted work or none of it.

#include "store/database.h"
#include "store/tdm1.h"
#include "tests/support/full_size.h"
#include "tests/support/program_run.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <random>

namespace {

using testing_support::RunProgram;

constexpr int kKills = 20;

// Every row of every table in rowid order: equal digests, equal data. The
// rows are joined by SQLite itself, which keeps 100,000 lines quick.
QByteArray DataDigest(const QString& dbFile)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "digest");
        db.setDatabaseName(dbFile);
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        // The register of kept answers is written before the apply on
        // purpose: a kill between the two leaves the answer waiting.
        q.exec("SELECT name FROM sqlite_master WHERE type = 'table' AND name <> 'ReceivedAnswer' "
               "ORDER BY name");
        QStringList tables;
        while (q.next())
            tables.append(q.value(0).toString());
        for (const QString& t : tables) {
            QStringList columns;
            q.exec(QString("PRAGMA table_info(\"%1\")").arg(t));
            while (q.next())
                columns.append(QString("quote(\"%1\")").arg(q.value(1).toString()));
            EXPECT_TRUE(q.exec(QString("SELECT group_concat(%1, char(10)) FROM "
                                       "(SELECT * FROM \"%2\" ORDER BY rowid)")
                                   .arg(columns.join("||','||"), t)));
            hash.addData(t.toUtf8());
            if (q.next())
                hash.addData(q.value(0).toString().toUtf8());
        }
    }
    QSqlDatabase::removeDatabase("digest");
    return hash.result().toHex();
}

void CopyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QFileInfo& fi : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (fi.isDir())
            CopyTree(fi.filePath(), to + "/" + fi.fileName());
        else
            ASSERT_TRUE(QFile::copy(fi.filePath(), to + "/" + fi.fileName()));
    }
}

class CrashSafety : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        m_home = m_temp.filePath("home");
        qputenv("PELMAR_REGISTRY_DIR", m_temp.filePath("registry").toLocal8Bit());
        tool({"prepare-db"});
        tool({"link", "setup", "LoginID=BR0001"});
    }

    QString dataDir() const { return m_home + "/Data"; }
    QString dbFile() const { return store::TDM1::DatabaseFile(dataDir()); }

    void tool(const QStringList& args)
    {
        const auto run = RunProgram(PELMAR_TOOL, m_home, QStringList{"--quiet", "--yes"} + args);
        ASSERT_EQ(run.exitCode, 0) << args.join(' ').toStdString() << "\n"
                                   << run.out.toStdString() << run.err.toStdString();
    }

    // Starts the command, kills it after `delayMs` and says whether it was
    // still at work then.
    bool killAfter(const QStringList& args, int delayMs)
    {
        QProcess p;
        p.setProcessEnvironment(testing_support::ProgramEnvironment());
        p.start(PELMAR_TOOL, QStringList{"--home", m_home, "--quiet", "--yes"} + args);
        EXPECT_TRUE(p.waitForStarted());
        const bool finished = p.waitForFinished(delayMs);
        if (!finished) {
            p.kill();
            p.waitForFinished();
        }
        return !finished;
    }

    int timedMs(const QStringList& args)
    {
        QElapsedTimer t;
        t.start();
        tool(args);
        return int(t.elapsed());
    }

    void expectCheckPasses(int run)
    {
        const auto check = RunProgram(PELMAR_TOOL, m_home, {"--quiet", "check"});
        EXPECT_EQ(check.exitCode, 0) << "after kill " << run << "\n" << check.out.toStdString();
    }

    QTemporaryDir m_temp;
    QString m_home;
    std::mt19937 m_random{20240315};
};

TEST_F(CrashSafety, ApplyResultsKilledAnywhereLeavesAllOfTheAnswerOrNone)
{
    ASSERT_EQ(testing_support::FillFullSizeBatches(dbFile(), 50, 2000), QString());
    tool({"build-requests"});
    tool({"link", "send"});
    const auto centre = RunProgram(CLEARING_SIM, m_home, {"--fail-every", "7"});
    ASSERT_EQ(centre.exitCode, 0) << centre.err.toStdString();
    tool({"link", "receive"});

    const QString before = m_temp.filePath("before.db");
    ASSERT_TRUE(QFile::copy(dbFile(), before));
    const QByteArray none = DataDigest(before);
    const int fullMs = timedMs({"apply-results"});
    const QByteArray all = DataDigest(dbFile());
    ASSERT_NE(all, none);

    // Within the measured run: a run timed cold, or on a busy machine, is
    // longer than the later ones, so a wider range left too few kills inside.
    std::uniform_int_distribution<int> when(0, fullMs);
    int interrupted = 0, seenNone = 0, seenAll = 0;
    for (int run = 0; run < kKills; ++run) {
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(dbFile() + suffix);
        ASSERT_TRUE(QFile::copy(before, dbFile()));
        interrupted += killAfter({"apply-results"}, when(m_random));
        expectCheckPasses(run);
        const QByteArray found = DataDigest(dbFile());
        EXPECT_TRUE(found == none || found == all) << "after kill " << run;
        seenNone += found == none;
        seenAll += found == all;
    }
    // Most kills must land while the answer is being applied, or the test
    // proves nothing.
    EXPECT_GE(interrupted, kKills / 2);
    EXPECT_GT(seenNone, 0);
}

TEST_F(CrashSafety, RestoreKilledAnywhereLeavesTheOldDataOrTheBackup)
{
    ASSERT_EQ(testing_support::FillFullSizeBatches(dbFile(), 10, 2000), QString());
    const QByteArray backedUp = DataDigest(dbFile());
    const QString folder = m_temp.filePath("backup");
    QDir().mkpath(folder);
    tool({"backup", "--to", folder});
    const QStringList archives = QDir(folder).entryList({"FA*.zip"}, QDir::Files);
    ASSERT_EQ(archives.size(), 1);
    const QString archive = folder + "/" + archives.first();

    // The data moves on after the backup: half the batches go.
    {
        ASSERT_TRUE(store::OpenDatabase("change", dbFile()).ok());
        QSqlQuery q(QSqlDatabase::database("change"));
        ASSERT_TRUE(q.exec("DELETE FROM Apt2 WHERE AptID > 5"));
        ASSERT_TRUE(q.exec("DELETE FROM Apt1 WHERE AptID > 5"));
    }
    store::CloseDatabase("change");
    const QByteArray changed = DataDigest(dbFile());
    const QString changedData = m_temp.filePath("changed");
    CopyTree(dataDir(), changedData);

    const int fullMs = timedMs({"restore", "--from", archive});
    const QByteArray restored = DataDigest(dbFile());
    ASSERT_NE(restored, changed);

    // Within the measured run: a run timed cold, or on a busy machine, is
    // longer than the later ones, so a wider range left too few kills inside.
    std::uniform_int_distribution<int> when(0, fullMs);
    int interrupted = 0;
    for (int run = 0; run < kKills; ++run) {
        for (const QString& d : {dataDir(), dataDir() + ".old", dataDir() + ".restore"})
            QDir(d).removeRecursively();
        CopyTree(changedData, dataDir());
        interrupted += killAfter({"restore", "--from", archive}, when(m_random));
        expectCheckPasses(run);
        const QByteArray found = DataDigest(dbFile());
        // Killed before the reorganisation finished, the backup's rows
        // stand as unpacked.
        EXPECT_TRUE(found == changed || found == restored || found == backedUp)
            << "after kill " << run;
    }
    EXPECT_GE(interrupted, kKills / 2);
}

// The one moment a restore has no data folder: the old one, renamed aside,
// comes back instead of a blank database.
TEST_F(CrashSafety, ADataFolderLeftAsideByAKilledRestoreComesBack)
{
    ASSERT_EQ(testing_support::FillFullSizeBatches(dbFile(), 2, 10), QString());
    const QByteArray before = DataDigest(dbFile());
    ASSERT_TRUE(QDir().rename(dataDir(), dataDir() + ".old"));
    expectCheckPasses(0);
    EXPECT_EQ(DataDigest(dbFile()), before);
    EXPECT_FALSE(QFileInfo::exists(dataDir() + ".old"));
}

} // namespace
