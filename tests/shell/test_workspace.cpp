#include "platform/process_list.h"
#include "platform/registry.h"
#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/file_helpers.h"
#include "shell/firm_ini.h"
#include "shell/link_settings.h"
#include "shell/log.h"
#include "shell/workspace.h"
#include "tests/support/workspace_fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace shell;

class ShellWorkspace : public testing_support::WorkspaceTest
{
};

TEST_F(ShellWorkspace, PathsHangOffProgramDir)
{
    EXPECT_EQ(workspace().dataDir, home() + "Data/");
    EXPECT_EQ(workspace().sendDir, home() + "Send/");
    EXPECT_EQ(workspace().firmIniPath(), home() + "Firm.ini");
    EXPECT_EQ(WithBackslash("  /a/b "), "/a/b/");
    EXPECT_EQ(WithBackslash("/a/b/"), "/a/b/");
    EXPECT_EQ(WithBackslash("   "), "");
}

TEST_F(ShellWorkspace, LogLinesPerMonthInCp949)
{
    FreezeNow(QDateTime(QDate(2008, 11, 30), QTime(23, 59, 58)));
    WriteLog(QStringLiteral("단위 시작"));
    WriteLog("boom", true);
    FreezeNow(QDateTime(QDate(2008, 12, 1), QTime(0, 0, 1)));
    WriteLog("next month");

    const QByteArray nov = readFile("200811.log");
    EXPECT_EQ(nov, ToCp949(QStringLiteral("30 23:59:58      단위 시작\r\n30 23:59:58 에러 boom\r\n")));
    // The marker is six bytes in CP949.
    EXPECT_EQ(ToCp949(QStringLiteral(" 에러 ")).size(), 6);
    EXPECT_EQ(readFile("200812.log"), QByteArray("01 00:00:01      next month\r\n"));
}

TEST_F(ShellWorkspace, LogIntoUnwritableFolderIsSilentlyLost)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    QFile::setPermissions(home(), QFile::ReadOwner | QFile::ExeOwner);
    WriteLog("lost");
    QFile::setPermissions(home(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(QFile::exists(LogFilePath()));
}

TEST_F(ShellWorkspace, LogIntoMissingFolderIsSilentlyLost)
{
    SetLogWorkspace(LoadWorkspacePaths(home() + "gone/deeper"));
    WriteLog("lost");
    EXPECT_FALSE(QFile::exists(LogFilePath()));
}

TEST_F(ShellWorkspace, ErrorListWrittenAndOffered)
{
    ui.answerConfirm(true);
    ASSERT_TRUE(ReportErrorList(ui, {QStringLiteral("101동 1201호"), "2"},
                                {QStringLiteral("계좌번호 오류"), "x"}));
    EXPECT_EQ(readFile("Temp/Error.txt"),
              ToCp949(QStringLiteral("101동 1201호   오류 : 계좌번호 오류\r\n2   오류 : x\r\n")));
    const QStringList asked = ui.texts("confirm");
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].startsWith(QStringLiteral("총 2 건의 자료에서 오류가 발견되었습니다.\r")));
    EXPECT_TRUE(asked[0].contains(path("Temp/Error.txt")));
    EXPECT_EQ(ui.texts("open"), QStringList{path("Temp/Error.txt")});
}

TEST_F(ShellWorkspace, FirmIniDefaultsScrambledPasswordAndGarbage)
{
    EXPECT_EQ(ReadPassword(workspace()), "");
    EXPECT_EQ(ReadAmountLimit(workspace()), 5000000);
    EXPECT_EQ(ReadNoticeTextColor(workspace()), 65535);
    EXPECT_EQ(ReadNoticeBackColor(workspace()), 0);
    EXPECT_EQ(ReadBackgroundPicture(workspace()), "Main_Space.bmp");

    ASSERT_TRUE(WritePassword(workspace(), "ab1"));
    const QByteArray raw = readFile("Firm.ini");
    EXPECT_TRUE(raw.contains(QByteArray("Password=") + char(255 - 'a') + char(255 - 'b') + char(255 - '1')));
    EXPECT_EQ(ReadPassword(workspace()), "ab1");
    ASSERT_TRUE(WriteNoticeTextColor(workspace(), 0x00112233));
    EXPECT_EQ(ReadNoticeTextColor(workspace()), 0x00112233);
    EXPECT_EQ(ReadPassword(workspace()), "ab1"); // other keys survive a write

    writeFile("Firm.ini", "[General]\r\nApt=lots\r\nNoticeTextColor=\r\n[Bmps]\r\nMain=Main_Sea.bmp\r\n");
    EXPECT_EQ(ReadAmountLimit(workspace()), 5000000);
    EXPECT_EQ(ReadNoticeTextColor(workspace()), 65535);
    EXPECT_EQ(ReadBackgroundPicture(workspace()), "Main_Sea.bmp");
    writeFile("Firm.ini", "[General]\r\napt = 12\r\n");
    EXPECT_EQ(ReadAmountLimit(workspace()), 12000000);
}

TEST_F(ShellWorkspace, LinkKeyFromProgramPath)
{
    EXPECT_EQ(LinkKeyForPath("C:\\Program Files\\Pelmar\\Pelmar.exe"),
              "Parlx.C.ProgramFiles.Pelmar.Pelmar.exe");
    EXPECT_EQ(LinkKeyForPath("/opt/my pelmar/Pelmar"), "Parlx.opt.mypelmar.Pelmar");
}

TEST_F(ShellWorkspace, LinkSettingsKeepWhatExistsAndDefaultTheRest)
{
    SetLinkProgramPath(home() + "Pelmar");
    TEdiConfig cfg;
    bool complete = true;
    EXPECT_FALSE(ReadSettings(cfg, &complete));
    EXPECT_FALSE(complete);

    // Only the user key exists, with a login and a receive folder.
    platform::Registry reg(platform::Registry::CurrentUser);
    ASSERT_TRUE(reg.WriteString(UserInfoKey(), "LoginID", "BR0042"));
    ASSERT_TRUE(reg.WriteString(UserInfoKey(), "RecvDir", home() + "In"));
    ASSERT_TRUE(reg.WriteBool(UserInfoKey(), "DeleteCheck", false));
    EXPECT_FALSE(ReadSettings(cfg, &complete));
    EXPECT_EQ(cfg.LoginID, "BR0042");
    EXPECT_EQ(cfg.Port, "COM1");
    EXPECT_FALSE(cfg.DeleteCheck);

    InitialiseLinkSettings();
    ASSERT_TRUE(ReadSettings(cfg, &complete));
    EXPECT_TRUE(complete);
    EXPECT_EQ(cfg.LoginID, "BR0042");
    EXPECT_EQ(cfg.RecvDir, home() + "In");
    EXPECT_EQ(cfg.Speed, "38400");
    EXPECT_EQ(cfg.SendDir, home() + "Send");
    EXPECT_TRUE(QDir(home() + "In").exists());

    ApplyLinkDirectories(workspace());
    EXPECT_EQ(workspace().recvDir, home() + "In/");
    EXPECT_EQ(workspace().senderId, "BR0042");

    PrepareTransferDirectories(workspace());
    for (const char* d : {"Send/Old", "Recv/Old", "Result"})
        EXPECT_TRUE(QDir(home() + d).exists()) << d;
    EXPECT_EQ(DecodeLinkPassword(EncodeLinkPassword("pw12")), "pw12");
    SetLinkProgramPath({});
}

TEST_F(ShellWorkspace, FileHelpers)
{
    writeFile("src/a.txt", "a");
    writeFile("src/b.TXT", "b");
    writeFile("src/c.dat", "c");
    QDir().mkpath(path("src/sub"));
    QStringList names;
    EXPECT_EQ(ListFiles(path("src/"), "*.txt", names), 2);
    EXPECT_EQ(CountFiles(path("src/")), 3);
    QDir().mkpath(path("dst"));
    writeFile("dst/a.txt", "old");
    ASSERT_TRUE(CopyFiles(ui, path("src/"), path("dst/"), "*.txt"));
    EXPECT_EQ(readFile("dst/a.txt"), "a");
    ASSERT_TRUE(DeleteAllFiles(ui, path("src/"), workspace().programDir));
    EXPECT_EQ(CountFiles(path("src/")), 0);
    EXPECT_TRUE(QDir(path("src/sub")).exists());
    // Copying into a folder that does not exist reports the error.
    writeFile("src/x.txt", "x");
    EXPECT_FALSE(CopyFiles(ui, path("src/"), path("nowhere/"), "*.*"));
    EXPECT_EQ(ui.texts("error").size(), 1);
}

TEST_F(ShellWorkspace, EmptyingAFolderNeverFollowsALinkOutOfProgramDir)
{
    QTemporaryDir outside;
    const QString kept = outside.filePath("keep.txt");
    QFile f(kept);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    // The folder itself leads elsewhere: refused, nothing there touched.
    ASSERT_TRUE(QFile::link(outside.path(), path("Send")));
    EXPECT_TRUE(LeadsOutOf(path("Send/"), home()));
    EXPECT_FALSE(DeleteAllFiles(ui, path("Send/"), workspace().programDir));
    EXPECT_TRUE(QFileInfo::exists(kept));
    EXPECT_EQ(ui.texts("error").size(), 1);

    // Links inside a real folder go, their targets stay.
    writeFile("Recv/answer.txt", "x");
    ASSERT_TRUE(QFile::link(kept, path("Recv/link.txt")));
    ASSERT_TRUE(QFile::link(outside.path(), path("Recv/linkdir")));
    ASSERT_TRUE(DeleteAllFiles(ui, path("Recv/"), workspace().programDir));
    EXPECT_FALSE(QFileInfo::exists(path("Recv/answer.txt")));
    EXPECT_FALSE(QFileInfo(path("Recv/link.txt")).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(kept));

    // A folder the user named outside ProgramDir is the user's choice.
    EXPECT_FALSE(LeadsOutOf(outside.path() + "/", home()));
    ASSERT_TRUE(DeleteAllFiles(ui, outside.path() + "/", workspace().programDir));
    EXPECT_FALSE(QFileInfo::exists(kept));
}

TEST_F(ShellWorkspace, ProcessChecks)
{
    EXPECT_TRUE(IsProcessRunning(platform::OwnExecutable()));
    EXPECT_FALSE(IsProcessRunning(home() + "Vandry"));
}

// A folder taken from the current folder (empty or relative name), a missing
// one, the program folder, the home folder, or one holding either: emptying
// it is refused, said and logged, and every file there stays.
TEST_F(ShellWorkspace, EmptyingRefusesFoldersThatAreNotTheProgramsToEmpty)
{
    QTemporaryDir outside;
    const QString top = outside.path() + "/top/";
    const QString userHome = top + "home/";
    const QString current = outside.path() + "/current/";
    for (const QString& dir : {userHome, current, home()}) {
        QDir().mkpath(dir);
        QFile f(dir + "keep.txt");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QFile(userHome + "keep.txt").copy(top + "keep.txt");
    const QByteArray savedHome = qgetenv("HOME");
    const QString savedCurrent = QDir::currentPath();
    qputenv("HOME", QFile::encodeName(userHome));
    ASSERT_TRUE(QDir::setCurrent(current));

    const struct
    {
        QString dir;
        QString kept;
        FolderDanger danger;
    } cases[] = {
        {"", current + "keep.txt", FolderDanger::NotAbsolute},
        {".", current + "keep.txt", FolderDanger::NotAbsolute},
        {"./", current + "keep.txt", FolderDanger::NotAbsolute},
        {home() + "Nowhere/", {}, FolderDanger::Missing},
        {home(), home() + "keep.txt", FolderDanger::ProgramFolder},
        {home() + "Send/..", home() + "keep.txt", FolderDanger::ProgramFolder},
        {userHome, userHome + "keep.txt", FolderDanger::HomeFolder},
        {top, top + "keep.txt", FolderDanger::HomeFolder},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dir.toStdString());
        ui.clear();
        EXPECT_EQ(DangerOfEmptying(c.dir, workspace().programDir), c.danger);
        EXPECT_FALSE(DeleteAllFiles(ui, c.dir, workspace().programDir));
        if (!c.kept.isEmpty()) {
            EXPECT_TRUE(QFileInfo::exists(c.kept));
        }
        ASSERT_EQ(ui.texts("error").size(), 1);
        EXPECT_TRUE(ui.texts("error")[0].endsWith(FolderDangerText(c.danger)));
        EXPECT_TRUE(FromCp949(readFile(QFileInfo(LogFilePath()).fileName()))
                        .contains("폴더 비우기 거부 " + c.dir));
    }
    // Roots only by name: nothing here ever tries to empty one.
    EXPECT_EQ(DangerOfEmptying("/", workspace().programDir), FolderDanger::Root);
    EXPECT_EQ(DangerOfEmptying("/.", workspace().programDir), FolderDanger::Root);
    // A folder of the program's own is still emptied.
    writeFile("Send/a.txt", "x");
    EXPECT_EQ(DangerOfEmptying(path("Send/"), workspace().programDir), FolderDanger::None);
    EXPECT_TRUE(DeleteAllFiles(ui, path("Send/"), workspace().programDir));
    EXPECT_FALSE(QFileInfo::exists(path("Send/a.txt")));

    QDir::setCurrent(savedCurrent);
    qputenv("HOME", savedHome);
}

// Removing a folder that is a link removes the link; links inside go as
// links; what they point at stays whole.
TEST_F(ShellWorkspace, RemovingAFolderNeverFollowsALink)
{
    QTemporaryDir outside;
    const QString mine = outside.path() + "/mine";
    QDir().mkpath(mine + "/sub");
    QFile f(mine + "/sub/keep.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    for (const QString& name : {path("Data/New"), path("Data.restore/")}) {
        SCOPED_TRACE(name.toStdString());
        QDir().mkpath(path("Data"));
        ASSERT_TRUE(QFile::link(mine, QDir::cleanPath(name)));
        EXPECT_TRUE(RemoveFolder(name, workspace().programDir));
        EXPECT_FALSE(QFileInfo(QDir::cleanPath(name)).isSymLink());
        EXPECT_FALSE(QFileInfo::exists(name));
        EXPECT_TRUE(QFileInfo::exists(mine + "/sub/keep.txt"));
    }

    writeFile("Data.old/Pelmar.db", "old");
    ASSERT_TRUE(QFile::link(mine, path("Data.old/link")));
    ASSERT_TRUE(QFile::link(mine + "/sub/keep.txt", path("Data.old/sub-link.txt")));
    EXPECT_TRUE(RemoveFolder(path("Data.old"), workspace().programDir));
    EXPECT_FALSE(QFileInfo::exists(path("Data.old")));
    EXPECT_TRUE(QFileInfo::exists(mine + "/sub/keep.txt"));

    EXPECT_TRUE(RemoveFolder(path("Nothing"), workspace().programDir)); // already gone
    EXPECT_FALSE(RemoveFolder("Data", workspace().programDir));         // relative
    EXPECT_FALSE(RemoveFolder(home(), workspace().programDir));         // the program folder
    EXPECT_TRUE(QDir(home()).exists());
}

// The error list replaces a link left at its name; the file the link
// pointed at is not written.
TEST_F(ShellWorkspace, ErrorListReplacesALinkInsteadOfWritingThroughIt)
{
    QTemporaryDir outside;
    const QString mine = outside.path() + "/letter.txt";
    QFile f(mine);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("the user's letter");
    f.close();
    QDir().mkpath(workspace().tempDir());
    ASSERT_TRUE(QFile::link(mine, workspace().tempDir() + "Error.txt"));

    EXPECT_EQ(WriteErrorList(ui, {"line 1"}, {"bad"}), workspace().tempDir() + "Error.txt");
    QFile letter(mine);
    ASSERT_TRUE(letter.open(QIODevice::ReadOnly));
    EXPECT_EQ(letter.readAll(), "the user's letter");
    EXPECT_FALSE(QFileInfo(workspace().tempDir() + "Error.txt").isSymLink());
    EXPECT_EQ(readFile("Temp/Error.txt"), ToCp949("line 1   오류 : bad") + "\r\n");
    EXPECT_EQ(QDir(workspace().tempDir()).entryList(QDir::Files), QStringList{"Error.txt"});
}

// Bytes that complement to a line break are cut by the INI reader; such a
// password is refused before it is written, and one already cut never
// reads as "no password".
TEST_F(ShellWorkspace, PasswordsThatWouldComeBackCut)
{
    for (const char* pw : {"곰", "a깔b", "놓더란", "x😀"}) {
        SCOPED_TRACE(pw);
        EXPECT_FALSE(IsStorablePassword(QString::fromUtf8(pw)));
    }
    for (const char* pw : {"", "abc123", "암호abc", "가나다 라"})
        EXPECT_TRUE(IsStorablePassword(QString::fromUtf8(pw))) << pw;

    ASSERT_TRUE(WritePassword(workspace(), "old1"));
    EXPECT_FALSE(WritePassword(workspace(), "곰"));
    EXPECT_EQ(ReadPassword(workspace()), "old1");
    ASSERT_TRUE(WritePassword(workspace(), QStringLiteral("암호abc")));
    EXPECT_EQ(ReadStoredPassword(workspace()).text, QStringLiteral("암호abc"));
    EXPECT_TRUE(ReadStoredPassword(workspace()).readable);

    const QByteArray gom = ScrambleBytes(ToCp949(QStringLiteral("곰"))); // "O\n"
    const QByteArray hanja = ScrambleBytes(ToCp949(QStringLiteral("a漢b")));
    const struct
    {
        const char* what;
        QByteArray ini;
        bool readable;
    } cases[] = {
        {"as written", "[General]\r\nPassword=" + gom + "\r\nApt=5\r\n", false},
        {"rewritten after the cut", "[General]\r\nPassword=" + gom.left(1) + "\r\nApt=5\r\n",
         false},
        {"remainder on the next line",
         "[General]\r\nPassword=" + ScrambleBytes(ToCp949(QStringLiteral("ab"))) + "\n" +
             ScrambleBytes("cd") + "\r\nApt=5\r\n",
         false},
        {"remainder looking like a key", "[General]\r\nPassword=\nO^=x\r\n", false},
        {"hand-edited garbage", "[General]\r\nPassword=\x01\x02\r\n", false},
        {"none", "[General]\r\nPassword=\r\nApt=5\r\n", true},
        {"none at all", "[General]\r\nApt=5\r\n", true},
        {"whole", "[General]\r\nPassword=" + hanja + "\r\nApt=5\r\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile("Firm.ini", c.ini);
        EXPECT_EQ(ReadStoredPassword(workspace()).readable, c.readable);
    }
}
