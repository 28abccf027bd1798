#include "maintenance/reorganise.h"
#include "shell/workspace.h"
#include "tests/maintenance/maintenance_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using maintenance::Program;
using testing_support::MaintenanceTest;

class ReorganiseTest : public MaintenanceTest
{
protected:
    void SetUp() override
    {
        MaintenanceTest::SetUp();
        makeDatabase(6);
        exec({"INSERT INTO CodeS (id, Name) VALUES ('Q', '사용자 코드')",
              "UPDATE BankCode SET Name = '바뀐 이름' WHERE Id = (SELECT min(Id) FROM BankCode)",
              "CREATE TABLE Extra (k INTEGER PRIMARY KEY, v TEXT)",
              "CREATE INDEX Extra_v ON Extra (v)",
              "INSERT INTO Extra VALUES (1, 'one'), (2, 'two')"});
    }
};

TEST_F(ReorganiseTest, PelmarKeepsEveryRowOfEveryTableAndTheTableTheBlankLacks)
{
    const QStringList before = dump();
    auto ctx = context(Program::Pelmar);
    ASSERT_TRUE(maintenance::Reorganise(ctx));
    EXPECT_EQ(dump(), before);
    EXPECT_TRUE(tables().contains("Extra"));
    EXPECT_EQ(ui.texts("wait"),
              (QStringList{"자료 재정리를 준비중입니다.", "초기 자료를 생성중입니다.",
                           "자료 재정리를 마무리중입니다."}));
    EXPECT_EQ(ui.texts("progress"), QStringList{"자료 복사중..."});
    // The copies stay in the reorganisation folder; the rebuild folder is gone.
    EXPECT_TRUE(QFileInfo::exists(maintenance::ReorganisationFolder(workspace()) + "Pelmar.db"));
    EXPECT_FALSE(QFileInfo::exists(path("Data/New")));

    // Once more: still one set of copies, still every row.
    ASSERT_TRUE(maintenance::Reorganise(ctx));
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(QDir(maintenance::ReorganisationFolder(workspace())).entryList(QDir::Files),
              QStringList{"Pelmar.db"});
}

TEST_F(ReorganiseTest, VandryDropsTheTableTheBlankLacksAndRemovesItsCopies)
{
    auto ctx = context(Program::Vandry);
    ASSERT_TRUE(maintenance::Reorganise(ctx));
    EXPECT_FALSE(tables().contains("Extra"));
    EXPECT_EQ(dump({}, "Apt1").size(), 6);
    EXPECT_EQ(dump({}, "CodeS").filter("사용자 코드").size(), 1);
    EXPECT_FALSE(QFileInfo::exists(maintenance::ReorganisationFolder(workspace())));
}

TEST_F(ReorganiseTest, ATableThatFailsLeavesTheOldFileInUse)
{
    // A row the new table refuses (longer than its field allows).
    exec({"PRAGMA ignore_check_constraints = ON",
          "INSERT INTO CodeS (id, Name) VALUES ('W', '" + QString(60, 'x') + "')"});
    const QByteArray old = readFile("Data/Pelmar.db");
    for (const Program program : {Program::Pelmar, Program::Vandry}) {
        SCOPED_TRACE(program == Program::Pelmar ? "Pelmar" : "Vandry");
        ui.clear();
        auto ctx = context(program);
        EXPECT_FALSE(maintenance::Reorganise(ctx));
        ASSERT_EQ(ui.texts("error").size(), 1);
        EXPECT_TRUE(
            ui.texts("error")[0].startsWith("자료 재정리 중 오류가 발생하였습니다.\r\rCodeS"))
            << ui.texts("error")[0].toStdString();
        EXPECT_EQ(readFile("Data/Pelmar.db"), old);
        EXPECT_FALSE(QFileInfo::exists(path("Data/New")));
    }
}

TEST_F(ReorganiseTest, AMissingBlankDatabaseIsNamedInBothPrograms)
{
    const QStringList before = dump();
    workspace().shippedDir = path("nothing-shipped/");
    ASSERT_FALSE(QFileInfo::exists(workspace().blankDatabasePath()));
    for (const Program program : {Program::Pelmar, Program::Vandry}) {
        ui.clear();
        auto ctx = context(program);
        EXPECT_FALSE(maintenance::Reorganise(ctx));
        ASSERT_EQ(ui.texts("info").size(), 1);
        EXPECT_TRUE(ui.texts("info")[0].contains("를 찾을수 없습니다."));
    }
    workspace().shippedDir = shell::ExecutableDir();
    EXPECT_EQ(dump(), before);
}

// Vandry removes its copies folder when done; left as a link to a folder of
// the user's, the refused emptying must not be followed by removing what the
// link points at.
TEST_F(ReorganiseTest, VandryNeverRemovesWhatALinkedCopiesFolderPointsAt)
{
    QTemporaryDir mine;
    QFile keep(mine.filePath("keep.txt"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.close();
    const QString copies = QDir::cleanPath(maintenance::ReorganisationFolder(workspace()));
    QDir(copies).removeRecursively();
    ASSERT_TRUE(QFile::link(mine.path(), copies));
    auto ctx = context(Program::Vandry);
    EXPECT_FALSE(maintenance::Reorganise(ctx));
    EXPECT_TRUE(QFileInfo::exists(mine.filePath("keep.txt")));
    EXPECT_FALSE(QFileInfo(copies).isSymLink());
}

TEST_F(ReorganiseTest, TheFollowUpRulesAndRepresentedLinesComeAcrossInBothPrograms)
{
    exec({"INSERT INTO Apt2 (Apt2ID, AptID, Dong, Ho) VALUES (40, 1, '101', '101'), "
          "(41, 2, '101', '101')",
          "INSERT INTO RepresentedLine (Apt2ID, AptID, FromApt2ID, OrigApt2ID) VALUES (41, 2, 40, 40)",
          "UPDATE FollowUpRule SET Cap = 4 WHERE ResultCode = '1000'",
          // What the rule screen stores for 없음: seeded rules must not come back.
          "UPDATE FollowUpRule SET Action = 0, Cap = NULL WHERE ResultCode = '2002'"});
    for (const Program program : {Program::Pelmar, Program::Vandry}) {
        const QStringList before = dump({}, "RepresentedLine") + dump({}, "FollowUpRule");
        auto ctx = context(program);
        ASSERT_TRUE(maintenance::Reorganise(ctx));
        EXPECT_EQ(dump({}, "RepresentedLine") + dump({}, "FollowUpRule"), before);
        EXPECT_EQ(dump({}, "RepresentedLine"), QStringList{"RepresentedLine|41|2|40|40"});
    }
}
