#include "maintenance/backup.h"
#include "platform/zip_archive.h"
#include "shell/workspace.h"
#include "tests/maintenance/maintenance_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using maintenance::Program;
using testing_support::MaintenanceTest;
using testing_support::ScriptedUi;

namespace {

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

// A floppy drive that is a folder: when asked for another disk, the
// disk in the drive is taken out (its files moved to disks/N/), and the
// next one is put in when the restore asks for it.
class DiskSwappingUi : public ScriptedUi
{
public:
    QString drive;
    QString shelf;
    int taken = 0;
    QList<QStringList> inserts; // for restoring: what each "disk change" puts in

    Button Ask(const QString& text, int buttons, Button defaultButton) override
    {
        const Button b = ScriptedUi::Ask(text, buttons, defaultButton);
        if (b == Ok && text.startsWith(QStringLiteral("디스켓의 여유 공간이 부족합니다"))) {
            const QString disk = shelf + QString::number(++taken) + "/";
            QDir().mkpath(disk);
            for (const QString& f : filesIn(drive))
                QFile::rename(drive + f, disk + f);
        }
        if (b == Ok && text == QStringLiteral("다음 디스켓을 넣으십시오.") && !inserts.isEmpty()) {
            for (const QString& f : filesIn(drive))
                QFile::remove(drive + f);
            for (const QString& f : inserts.takeFirst())
                QFile::copy(f, drive + QFileInfo(f).fileName());
        }
        return b;
    }
};

} // namespace

class BackupTest : public MaintenanceTest
{
protected:
    QString backupDir()
    {
        QDir().mkpath(path("bk"));
        return path("bk/");
    }
};

TEST_F(BackupTest, BackupThenChangeThenRestoreGivesBackTheRows)
{
    makeDatabase(5);
    const QStringList before = dump();
    auto ctx = context();
    QString archive;
    ASSERT_TRUE(maintenance::Backup(ctx, backupDir(), &archive));
    EXPECT_EQ(archive, path("bk/FA2403151030.zip"));
    const auto names = platform::ListZip(archive);
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(*names, QStringList{"Pelmar.db"});
    EXPECT_EQ(ui.texts("wait"), (QStringList{"자료 백업을 준비중입니다", "자료 압축 처리중...",
                                             "압축된 자료를 저장하고 있습니다"}));
    // The temporary archive in ProgramDir is gone.
    EXPECT_TRUE(QDir(home()).entryList({"*.zip"}, QDir::Files).isEmpty());

    exec({"DELETE FROM Apt1 WHERE AptID = 2", "UPDATE Apt1 SET Bigo = 'changed' WHERE AptID = 1",
          "INSERT INTO Apt1 (AptID, Bigo) VALUES (99, 'new')"});
    ASSERT_NE(dump(), before);

    ui.clear();
    ui.answerChooser(archive);
    ASSERT_TRUE(maintenance::Restore(ctx));
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(ui.texts("wait"),
              (QStringList{"기존 자료를 삭제하고 있습니다", "압축을 해제하고 있습니다"}));
    EXPECT_FALSE(QFileInfo::exists(path("Data.old")));
    EXPECT_FALSE(QFileInfo::exists(path("Data.restore")));
}

// The evidence and the files kept from the exchanges go into the archive
// under their folders and come back with the tables: the backup's bytes
// replace an evidence file of the same name, a kept copy is never replaced
// (the backup's goes beside it), and a file made after the backup stays.
TEST_F(BackupTest, EvidenceAndKeptFilesComeBackWithTheTables)
{
    makeDatabase(3);
    const QByteArray scan("%PDF\0scan\xff", 10);
    writeFile("AUTHFILE/AP1_0001.pdf", scan);
    writeFile("AUTHFILE/AP1_0002.wav", "RIFF recording");
    writeFile("Send/Old/20240315/Apt_1", "request");
    writeFile("Recv/Old/20240314/AB200", "answer");
    // What the program never puts there stays out of the archive.
    writeFile("Send/Old/notes/a.txt", "not a day");
    writeFile("outside.pdf", "outside");
    QFile::link(path("outside.pdf"), path("AUTHFILE/AP1_0003.pdf"));
    auto ctx = context();
    QString archive;
    ASSERT_TRUE(maintenance::Backup(ctx, backupDir(), &archive));
    auto names = platform::ListZip(archive);
    ASSERT_TRUE(names.ok());
    names->sort();
    EXPECT_EQ(*names, (QStringList{"AUTHFILE/AP1_0001.pdf", "AUTHFILE/AP1_0002.wav", "Pelmar.db",
                                   "Recv/Old/20240314/AB200", "Send/Old/20240315/Apt_1"}));

    const QStringList before = dump();
    exec({"DELETE FROM Apt1"});
    writeFile("AUTHFILE/AP1_0001.pdf", "a later scan");
    QFile::remove(path("AUTHFILE/AP1_0002.wav"));
    writeFile("AUTHFILE/AP1_0009.pdf", "made after the backup");
    QFile::remove(path("Send/Old/20240315/Apt_1"));
    writeFile("Recv/Old/20240314/AB200", "another answer kept under the name");

    ui.clear();
    ui.answerChooser(archive);
    ASSERT_TRUE(maintenance::Restore(ctx)) << ui.texts("error").join("/").toStdString();
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(readFile("AUTHFILE/AP1_0001.pdf"), scan);
    EXPECT_EQ(readFile("AUTHFILE/AP1_0002.wav"), "RIFF recording");
    EXPECT_EQ(readFile("AUTHFILE/AP1_0009.pdf"), "made after the backup");
    EXPECT_EQ(readFile("Send/Old/20240315/Apt_1"), "request");
    EXPECT_EQ(readFile("Recv/Old/20240314/AB200"), "another answer kept under the name");
    EXPECT_EQ(readFile("Recv/Old/20240314/AB200.1"), "answer");
    EXPECT_FALSE(QFileInfo::exists(path("Data.restore-files")));

    // Restored again: nothing is kept twice.
    ui.clear();
    ui.answerChooser(archive);
    ASSERT_TRUE(maintenance::Restore(ctx));
    EXPECT_EQ(filesIn(path("Recv/Old/20240314")), (QStringList{"AB200", "AB200.1"}));
}

// Archives made before the evidence went along hold the tables only; they
// restore the tables and leave the files as they are.
TEST_F(BackupTest, AnArchiveOfTheTablesOnlyStillRestores)
{
    makeDatabase(3);
    const QStringList before = dump();
    const QByteArray dbBytes = readFile("Data/Pelmar.db");
    exec({"DELETE FROM Apt1"});
    writeFile("AUTHFILE/AP1_0001.pdf", "evidence");
    QDir().mkpath(path("in"));
    testing_support::WriteRawZip(path("in/FA240101.zip"), {{"Pelmar.db", dbBytes}});
    auto ctx = context();
    ui.answerChooser(path("in/FA240101.zip"));
    ASSERT_TRUE(maintenance::Restore(ctx)) << ui.texts("error").join("/").toStdString();
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(readFile("AUTHFILE/AP1_0001.pdf"), "evidence");
}

TEST_F(BackupTest, VandryUsesTheShortStampAndItsOwnTexts)
{
    makeDatabase();
    auto ctx = context(Program::Vandry);
    QString archive;
    ASSERT_TRUE(maintenance::Backup(ctx, backupDir(), &archive));
    EXPECT_EQ(QFileInfo(archive).fileName(), "FA240315.zip");
    EXPECT_EQ(ui.texts("wait").value(0), "자료 백업 준비중입니다");
}

TEST_F(BackupTest, ChoosingNoFolderEndsQuietly)
{
    makeDatabase();
    auto ctx = context();
    ui.answerPromptCancel();
    EXPECT_FALSE(maintenance::Backup(ctx, {}));
    EXPECT_TRUE(ui.texts("info").isEmpty());
    EXPECT_TRUE(ui.texts("error").isEmpty());
}

TEST_F(BackupTest, AnUnwritableTargetAsksAndKeepsTheEarlierArchive)
{
    makeDatabase();
    auto ctx = context();
    // A folder standing where the archive should go cannot be replaced.
    QDir().mkpath(path("bk/FA2403151030.zip"));
    ui.answerAsk(shell::Ui::Ok);
    ui.answerAsk(shell::Ui::Cancel);
    EXPECT_FALSE(maintenance::Backup(ctx, backupDir()));
    ASSERT_EQ(ui.texts("ask").size(), 2);
    EXPECT_TRUE(ui.texts("ask")[0].startsWith(
        "파일 " + QDir::toNativeSeparators(path("bk/FA2403151030.zip")) +
        "를 생성할 수 없습니다."));
    EXPECT_TRUE(QFileInfo(path("bk/FA2403151030.zip")).isDir());
    EXPECT_EQ(filesIn(path("bk")), QStringList{});
    EXPECT_TRUE(QDir(home()).entryList({"*.zip"}, QDir::Files).isEmpty());
}

TEST_F(BackupTest, AnEarlierArchiveOfTheSameStampIsReplacedWhole)
{
    makeDatabase();
    writeFile("bk/FA2403151030.zip", "old backup");
    auto ctx = context();
    ASSERT_TRUE(maintenance::Backup(ctx, backupDir()));
    EXPECT_TRUE(platform::ListZip(path("bk/FA2403151030.zip")).ok());
    EXPECT_EQ(filesIn(path("bk")), QStringList{"FA2403151030.zip"});
}

TEST_F(BackupTest, AnUnconfiguredDriveSaysSo)
{
    makeDatabase();
    auto ctx = context();
    EXPECT_FALSE(maintenance::Backup(ctx, "A:\\"));
    ASSERT_EQ(ui.texts("info").size(), 1);
    EXPECT_TRUE(ui.texts("info")[0].startsWith("A 드라이브가 설정되어 있지 않습니다."));
}

TEST_F(BackupTest, AnArchiveThatFitsOneDiskIsAZip)
{
    makeDatabase();
    QDir().mkpath(path("floppy"));
    auto ctx = context();
    ctx.media.driveA = path("floppy/");
    ctx.media.diskSize = 10 << 20;
    ASSERT_TRUE(maintenance::Backup(ctx, "a:"));
    EXPECT_EQ(filesIn(path("floppy")), QStringList{"FA2403151030.zip"});
}

TEST_F(BackupTest, MultiVolumeBackupAndRestoreWithSmallDisks)
{
    makeDatabase(200);
    // Rows that do not compress away, so the archive needs several disks.
    QStringList sql;
    for (int i = 0; i < 300; ++i)
        sql << QString("INSERT INTO Apt1 (AptID, Bigo) VALUES (%1, '%2')")
                   .arg(1000 + i)
                   .arg(QString::number(qHash(QString::number(i * 7919)), 36).repeated(6).left(80));
    exec(sql);
    const QStringList before = dump();
    // Evidence that does not compress away either: it spans disks too.
    QByteArray recording;
    for (int i = 0; i < 4000; ++i)
        recording.append(char(qHash(i * 7919) & 0xFF));
    writeFile("AUTHFILE/AP1_0001.wav", recording);

    DiskSwappingUi swap;
    swap.drive = path("floppy/");
    swap.shelf = path("disks/");
    QDir().mkpath(swap.drive);
    maintenance::Context ctx{swap, workspace(), Program::Pelmar, {}};
    ctx.media.driveA = swap.drive;
    ctx.media.diskSize = 6000;
    for (int i = 0; i < 50; ++i)
        swap.answerAsk(shell::Ui::Ok);
    ASSERT_TRUE(maintenance::Backup(ctx, swap.drive));
    // The last disk is still in the drive.
    const QStringList last = filesIn(swap.drive);
    ASSERT_GE(swap.taken, 2);
    EXPECT_EQ(last, QStringList{"FA2403151030.end"});
    for (int d = 1; d <= swap.taken; ++d)
        EXPECT_EQ(filesIn(swap.shelf + QString::number(d)),
                  QStringList{QString("FA2403151030.%1").arg(d, 3, 10, QChar('0'))});
    for (const QString& q : swap.texts("ask"))
        EXPECT_EQ(q, "디스켓의 여유 공간이 부족합니다.\r\r다른 디스켓을 넣어 주십시오.");

    exec({"DELETE FROM Apt1"});
    QDir(path("AUTHFILE")).removeRecursively();
    // Restore: the first disk goes in, then each next one when asked.
    QDir().mkpath(swap.shelf + "last");
    QFile::rename(swap.drive + "FA2403151030.end", swap.shelf + "last/FA2403151030.end");
    QFile::copy(swap.shelf + "1/FA2403151030.001", swap.drive + "FA2403151030.001");
    // An earlier single archive of the same stamp on the first disk is not what was chosen.
    testing_support::WriteRawZip(swap.drive + "FA2403151030.zip", {{"Pelmar.db", "stale"}});
    DiskSwappingUi reader;
    reader.drive = swap.drive;
    for (int d = 2; d <= swap.taken; ++d)
        reader.inserts << QStringList{swap.shelf + QString::number(d) + "/" +
                                      QString("FA2403151030.%1").arg(d, 3, 10, QChar('0'))};
    reader.inserts << QStringList{swap.shelf + "last/FA2403151030.end"};
    reader.answerChooser(swap.drive + "FA2403151030.001");
    for (int i = 0; i < swap.taken; ++i)
        reader.answerAsk(shell::Ui::Ok);
    maintenance::Context rctx{reader, workspace(), Program::Pelmar, ctx.media};
    ASSERT_TRUE(maintenance::Restore(rctx)) << reader.texts("error").join("/").toStdString()
                                            << reader.texts("ask").join("/").toStdString()
                                            << reader.texts("info").join("/").toStdString();
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(readFile("AUTHFILE/AP1_0001.wav"), recording);
    EXPECT_EQ(reader.pendingAnswers(), 0); // one disk change per volume
    EXPECT_TRUE(QDir(home()).entryList({"*.zip"}, QDir::Files).isEmpty());
}

TEST_F(BackupTest, CancellingAMultiVolumeBackupKeepsTheEarlierBackupOnTheDisk)
{
    makeDatabase(50);
    QDir().mkpath(path("floppy"));
    writeFile("floppy/FA2403151030.zip", "earlier");
    auto ctx = context();
    ctx.media.driveA = path("floppy/");
    ctx.media.diskSize = 3000;
    ui.answerAsk(shell::Ui::Cancel);
    EXPECT_FALSE(maintenance::Backup(ctx, path("floppy")));
    EXPECT_EQ(ui.texts("info"), QStringList{"자료 백업 처리가 취소되었습니다."});
    EXPECT_EQ(readFile("floppy/FA2403151030.zip"), "earlier");
    EXPECT_EQ(filesIn(path("floppy")), QStringList{"FA2403151030.zip"});
}

TEST(BackupStamp, NamesEachProgramAccepts)
{
    struct Case
    {
        const char* name;
        const char* pelmar;
        const char* vandry;
    };
    const Case cases[] = {
        {"FA081121.zip", "081121", "081121"},
        {"fa081121.zip", "081121", "081121"},
        {"/some/where/FA081121.001", "081121", "081121"},
        {"FA0811211530.ZIP", "0811211530", ""},
        {"FA0811211530.001", "0811211530", ""},
        {"FA081121.end", "", ""},
        {"FA08112.zip", "", ""},
        {"FA08112x.zip", "", ""},
        {"XA081121.zip", "", ""},
        {"FA08112115301.zip", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(maintenance::BackupStamp(Program::Pelmar, c.name), c.pelmar) << c.name;
        EXPECT_EQ(maintenance::BackupStamp(Program::Vandry, c.name), c.vandry) << c.name;
    }
}

class RestoreRefusal : public MaintenanceTest
{
};

TEST_F(RestoreRefusal, BadArchivesLeaveTheDataExactlyAsItWas)
{
    makeDatabase(4);
    writeFile("Data/notes.txt", "kept");
    writeFile("AUTHFILE/AP1_0001.pdf", "evidence");
    writeFile("Recv/Old/20240314/AB200", "answer");
    const QByteArray dbBytes = readFile("Data/Pelmar.db");

    // A good archive to cut and to borrow a database from.
    auto ctx = context();
    QDir().mkpath(path("bk"));
    QString good;
    ASSERT_TRUE(maintenance::Backup(ctx, path("bk/"), &good));
    const QByteArray goodBytes = [&] {
        QFile f(good);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();

    // A database of some other program.
    exec({"CREATE TABLE Songs (title TEXT)", "INSERT INTO Songs VALUES ('a')"}, path("other.db"));
    const QByteArray otherDb = readFile("other.db");

    struct Case
    {
        const char* label;
        std::function<void(const QString&)> make;
        const char* message; // the start of the error
    };
    const QList<Case> cases = {
        {"not a zip",
         [&](const QString& f) {
             QFile o(f);
             o.open(QIODevice::WriteOnly);
             o.write("plain text");
         },
         ""},
        {"truncated",
         [&](const QString& f) {
             QFile o(f);
             o.open(QIODevice::WriteOnly);
             o.write(goodBytes.left(goodBytes.size() / 2));
         },
         ""},
        {"no database",
         [&](const QString& f) {
             testing_support::WriteRawZip(f, {{"Other.db", "x"}});
         },
         "백업 파일에 자료 파일(Pelmar.db)이 없습니다."},
        {"foreign database",
         [&](const QString& f) {
             testing_support::WriteRawZip(f, {{"Pelmar.db", otherDb}});
         },
         "백업 파일의 자료를 사용할 수 없어 복구하지 않습니다."},
        {"damaged database",
         [&](const QString& f) {
             testing_support::WriteRawZip(
                 f, {{"Pelmar.db", "SQLite format 3" + QByteArray(5000, 'z')}});
         },
         "백업 파일의 자료를 사용할 수 없어 복구하지 않습니다."},
        {"climbing name",
         [&](const QString& f) {
             testing_support::WriteRawZip(f, {{"Pelmar.db", dbBytes}, {"../evil.db", "x"}});
         },
         "백업 파일에 사용할 수 없는 이름이 있어 복구하지 않습니다."},
        {"absolute name",
         [&](const QString& f) {
             testing_support::WriteRawZip(
                 f, {{"Pelmar.db", dbBytes}, {QFile::encodeName(path("abs.db")), "x"}});
         },
         "백업 파일에 사용할 수 없는 이름이 있어 복구하지 않습니다."},
        {"zip bomb",
         [&](const QString& f) {
             testing_support::WriteRawZip(
                 f, {{"Pelmar.db", dbBytes}, {"Apt9.db", QByteArray(40 << 20, '\0')}});
         },
         "백업 파일의 크기가 올바르지 않아 복구하지 않습니다."},
        {"folder name",
         [&](const QString& f) {
             testing_support::WriteRawZip(f, {{"sub/Pelmar.db", dbBytes}});
         },
         "백업 파일에 사용할 수 없는 이름이 있어 복구하지 않습니다."},
        {"evidence climbing out",
         [&](const QString& f) {
             testing_support::WriteRawZip(f,
                                          {{"Pelmar.db", dbBytes}, {"AUTHFILE/../evil.db", "x"}});
         },
         "백업 파일에 사용할 수 없는 이름이 있어 복구하지 않습니다."},
        {"evidence in a folder of its own",
         [&](const QString& f) {
             testing_support::WriteRawZip(f, {{"Pelmar.db", dbBytes}, {"AUTHFILE/sub/a.pdf", "x"}});
         },
         "백업 파일에 사용할 수 없는 이름이 있어 복구하지 않습니다."},
        {"absolute evidence",
         [&](const QString& f) {
             testing_support::WriteRawZip(
                 f, {{"Pelmar.db", dbBytes}, {QFile::encodeName(path("AUTHFILE/abs.db")), "x"}});
         },
         "백업 파일에 사용할 수 없는 이름이 있어 복구하지 않습니다."},
        {"kept file outside a day's folder",
         [&](const QString& f) {
             testing_support::WriteRawZip(f, {{"Pelmar.db", dbBytes}, {"Send/Old/x/Apt_1", "x"}});
         },
         "백업 파일에 사용할 수 없는 이름이 있어 복구하지 않습니다."},
        {"kept file climbing out",
         [&](const QString& f) {
             testing_support::WriteRawZip(
                 f, {{"Pelmar.db", dbBytes}, {"Recv/Old/20240101/../../../evil.db", "x"}});
         },
         "백업 파일에 사용할 수 없는 이름이 있어 복구하지 않습니다."},
        {"another folder of the workspace",
         [&](const QString& f) {
             testing_support::WriteRawZip(f, {{"Pelmar.db", dbBytes}, {"Temp/evil.db", "x"}});
         },
         "백업 파일에 사용할 수 없는 이름이 있어 복구하지 않습니다."},
        {"table link",
         [&](const QString& f) {
             testing_support::WriteRawZip(f, {{"Pelmar.db", dbBytes}, {"Apt9.db", "/etc/passwd"}},
                                          {"Apt9.db"});
         },
         "백업 파일에 파일이 아닌 항목(링크)이 있어 복구하지 않습니다."},
        {"evidence link",
         [&](const QString& f) {
             testing_support::WriteRawZip(
                 f, {{"Pelmar.db", dbBytes}, {"AUTHFILE/AP1_0001.pdf", "/etc/passwd"}},
                 {"AUTHFILE/AP1_0001.pdf"});
         },
         "백업 파일에 파일이 아닌 항목(링크)이 있어 복구하지 않습니다."},
        {"evidence bomb",
         [&](const QString& f) {
             testing_support::WriteRawZip(
                 f, {{"Pelmar.db", dbBytes}, {"AUTHFILE/big.wav", QByteArray(40 << 20, '\0')}});
         },
         "백업 파일의 크기가 올바르지 않아 복구하지 않습니다."},
        {"kept file bomb",
         [&](const QString& f) {
             testing_support::WriteRawZip(
                 f,
                 {{"Pelmar.db", dbBytes}, {"Recv/Old/20240101/AB200", QByteArray(40 << 20, '\0')}});
         },
         "백업 파일의 크기가 올바르지 않아 복구하지 않습니다."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const QString archive = path("in/FA240101.zip");
        QDir().mkpath(path("in"));
        c.make(archive);
        ui.clear();
        ui.answerChooser(archive);
        EXPECT_FALSE(maintenance::Restore(ctx));
        ASSERT_EQ(ui.texts("error").size(), 1);
        EXPECT_TRUE(ui.texts("error")[0].startsWith(QString::fromUtf8(c.message)))
            << ui.texts("error")[0].toStdString();
        EXPECT_EQ(readFile("Data/Pelmar.db"), dbBytes);
        EXPECT_EQ(filesIn(path("Data")), (QStringList{"Pelmar.db", "notes.txt"}));
        EXPECT_FALSE(QFileInfo::exists(path("evil.db")));
        EXPECT_FALSE(QFileInfo::exists(path("abs.db")));
        EXPECT_FALSE(QFileInfo::exists(path("Data.restore")));
        EXPECT_FALSE(QFileInfo::exists(path("Data.restore-files")));
        EXPECT_EQ(filesIn(path("AUTHFILE")), QStringList{"AP1_0001.pdf"});
        EXPECT_EQ(readFile("AUTHFILE/AP1_0001.pdf"), "evidence");
        EXPECT_EQ(filesIn(path("Recv/Old/20240314")), QStringList{"AB200"});
        EXPECT_FALSE(QFileInfo::exists(path("AUTHFILE/abs.db")));
    }
}

TEST_F(RestoreRefusal, WrongNamesAndCancelledChooser)
{
    makeDatabase();
    auto ctx = context(Program::Vandry);
    ui.answerChooser(path("FA2403151030.zip"));
    EXPECT_FALSE(maintenance::Restore(ctx));
    EXPECT_EQ(ui.texts("info"), QStringList{"백업 파일의 형식이 올바르지 않습니다."});

    ui.clear();
    ui.answerPromptCancel();
    EXPECT_FALSE(maintenance::Restore(ctx));
    EXPECT_TRUE(ui.texts("info").isEmpty());
}

TEST_F(RestoreRefusal, AVolumeSetOnTheHardDiskIsNotFound)
{
    makeDatabase();
    writeFile("bk/FA240315.001", "part");
    auto ctx = context(Program::Vandry);
    ui.answerChooser(path("bk/FA240315.001"));
    EXPECT_FALSE(maintenance::Restore(ctx));
    ASSERT_EQ(ui.texts("error").size(), 1);
    EXPECT_TRUE(ui.texts("error")[0].contains("FA240315.zip"));
}
