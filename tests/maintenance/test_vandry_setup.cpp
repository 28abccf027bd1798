#include "maintenance/vandry_setup.h"
#include "platform/registry.h"
#include "shell/workspace.h"
#include "tests/maintenance/maintenance_fixture.h"

#include <QDir>
#include <QFileInfo>

using maintenance::Program;
using testing_support::MaintenanceTest;

class VandrySetupTest : public MaintenanceTest
{
};

TEST_F(VandrySetupTest, OldLinkConfigurationBecomesLinkSettings)
{
    writeFile(
        "Parlnk.ini",
        "[COMM]\r\nPort=2\r\nConnect1=5\r\nConnect2=3\r\nPhone1=0199\r\n"
        "[USER]\r\nLoginID=br0001\r\nPassword=xYz\r\n[OPTION]\r\nCompress=1\r\nPassword=2\r\n");
    const shell::TEdiConfig c = maintenance::ConvertOldLinkConfig(path("Parlnk.ini"), home());
    EXPECT_EQ(c.Port, "COM3");
    EXPECT_EQ(c.Connect1, "");
    EXPECT_EQ(c.Connect2, "전용선");
    EXPECT_EQ(c.Phone1, "0199");
    EXPECT_EQ(c.Phone2, "01420");
    EXPECT_EQ(c.ModemInit, "ATZ");
    EXPECT_EQ(c.LoginID, "BR0001");
    EXPECT_EQ(c.Password, "xYz");
    EXPECT_TRUE(c.CompressCheck);
    EXPECT_FALSE(c.PasswordCheck);
    EXPECT_EQ(c.SendDir, path("Send"));
    EXPECT_EQ(c.ScriptDir, "");
    EXPECT_FALSE(c.MessageCheck);

    const shell::TEdiConfig d = maintenance::ConvertOldLinkConfig(path("missing.ini"), home());
    EXPECT_EQ(d.Port, "COM1");
    EXPECT_EQ(d.Connect1, "01421망");
    EXPECT_EQ(d.Connect2, "DNS망");
    EXPECT_EQ(d.Phone1, "01421");

    // The largest port number an old file can hold still names the next one.
    writeFile("Parlnk.ini", "[COMM]\r\nPort=2147483647\r\n");
    EXPECT_EQ(maintenance::ConvertOldLinkConfig(path("Parlnk.ini"), home()).Port,
              "COM2147483648");
}

TEST_F(VandrySetupTest, UninstallLogIsTheLastOfAnUnbrokenRun)
{
    EXPECT_EQ(maintenance::UninstallLogName(home()), "DeIsL1.isu");
    writeFile("DeIsL2.isu", "");
    EXPECT_EQ(maintenance::UninstallLogName(home()), "DeIsL1.isu");
    writeFile("DeIsL1.isu", "");
    EXPECT_EQ(maintenance::UninstallLogName(home()), "DeIsL2.isu");
    EXPECT_EQ(maintenance::UninstallCommand("/sys/", "/p/"),
              "/sys/uninst.exe -f\"/p/DeIsL1.isu\" -c\"/p/_isreg32.dll\"");
}

TEST_F(VandrySetupTest, UpgradeStepConvertsRegistersBacksUpAndReorganises)
{
    makeDatabase();
    const QStringList rows = dump({}, "Apt1");
    writeFile("Parlnk.ini", "[USER]\r\nLoginID=br0009\r\n");
    auto ctx = context(Program::Vandry);
    ASSERT_TRUE(maintenance::FinishUpgrade(ctx));
    shell::TEdiConfig cfg;
    ASSERT_TRUE(shell::ReadSettings(cfg));
    EXPECT_EQ(cfg.LoginID, "BR0009");
    platform::Registry machine(platform::Registry::LocalMachine);
    EXPECT_TRUE(machine.ReadString(maintenance::kUninstallKey, "UninstallString")
                    .value_or("")
                    .contains("DeIsL1.isu"));
    EXPECT_TRUE(QFileInfo::exists(path("FA240315.zip")));
    EXPECT_EQ(dump({}, "Apt1"), rows);
    EXPECT_EQ(ui.texts("wait").mid(0, 3),
              (QStringList{"환경 설정 내용을 복사중...", "시스템 파일 설치중...",
                           "기타 설정 내용 변경중..."}));
    EXPECT_EQ(ui.texts("info"),
              QStringList{"Tervo 단위조합 Veltrin 프로그램의 업그레이드가 완료되었습니다."});
}

TEST_F(VandrySetupTest, AFailedBackupStopsTheUpgradeStepWithoutCompletion)
{
    QDir().mkpath(workspace().dataDir); // nothing to back up
    auto ctx = context(Program::Vandry);
    EXPECT_FALSE(maintenance::FinishUpgrade(ctx));
    EXPECT_FALSE(ui.texts("wait").contains("자료 재정리를 준비중입니다."));
    EXPECT_TRUE(ui.texts("info").isEmpty());
}

TEST_F(VandrySetupTest, GuardsAskUntilPelmarIsGone)
{
    int calls = 0;
    shell::StartupProbes probes{[&] { return ++calls < 3; }, [] { return false; }};
    ui.answerAsk(shell::Ui::Ok);
    ui.answerAsk(shell::Ui::Ok);
    EXPECT_TRUE(maintenance::PassVandryStartupGuards(ui, probes));
    ASSERT_EQ(ui.texts("ask").size(), 2);
    EXPECT_TRUE(
        ui.texts("ask")[0].startsWith("이 프로그램은 Tervo 단위조합 Veltrin 프로그램과 같이"));

    ui.clear();
    shell::StartupProbes twice{[] { return false; }, [] { return true; }};
    ui.answerAsk(shell::Ui::Cancel);
    EXPECT_FALSE(maintenance::PassVandryStartupGuards(ui, twice));
}
