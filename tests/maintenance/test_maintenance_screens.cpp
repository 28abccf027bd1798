#include "edi/link.h"
#include "edi/mailbox_link.h"
#include "maintenance/ui/maintenance_actions.h"
#include "maintenance/ui/tfm_vandry.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "tests/maintenance/maintenance_fixture.h"
#include "tests/support/qt_app.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QToolButton>
#include <QWidget>
#include <optional>

using testing_support::MaintenanceTest;

namespace {

// A link that fails every send with the given code.
class FailingLink : public edi::Link
{
public:
    explicit FailingLink(qint32 code) : m_code(code) {}
    qint32 EnvSetup(const QString&) override { return 0; }
    qint32 Send(const QString&) override { return m_code; }
    qint32 Receive(const QString&) override { return 0; }
    qint32 SendReceive(const QString&, qint32&, qint32&) override { return 0; }
    qint32 ReReceive(const QString&) override { return 0; }
    qint32 ResultReceiveNoDlg(const QString&) override { return 0; }

private:
    qint32 m_code;
};

} // namespace

class MaintenanceScreens : public MaintenanceTest
{
protected:
    void SetUp() override
    {
        testing_support::QtApp();
        MaintenanceTest::SetUp();
    }

    edi::MailboxLink& link()
    {
        if (!m_link)
            m_link.emplace(workspace());
        return *m_link;
    }
    std::optional<edi::MailboxLink> m_link;
};

TEST_F(MaintenanceScreens, VandryWindowHasItsButtonsAndSendMenu)
{
    maintenance::ui::TfmVandry w(ui, link(), workspace(), {});
    EXPECT_EQ(w.windowTitle(), "단위Tervo Veltrin 자료 관리");
    for (const char* text : {"자료 백업", "자료 복구", "자료재정리", "자료보내기", "종  료"})
        EXPECT_NE(w.button(QString::fromUtf8(text)), nullptr) << text;
    QStringList entries;
    for (QAction* a : w.sendMenu()->actions())
        if (!a->isSeparator())
            entries << a->text();
    EXPECT_EQ(entries, (QStringList{"DB 자료 보내기", "파일 보내기", "통신 환경 설정"}));
    EXPECT_FALSE(w.upgradeMode());
    EXPECT_EQ(w.size(), QSize(377, 63));

    // Any argument puts the window off the screen; only UPGRADE runs the step.
    maintenance::ui::TfmVandry other(ui, link(), workspace(), {"something"});
    other.placeWindow();
    EXPECT_EQ(other.x(), 4096);
    EXPECT_FALSE(other.upgradeMode());
    EXPECT_TRUE(maintenance::ui::TfmVandry(ui, link(), workspace(), {"Upgrade"}).upgradeMode());
}

TEST_F(MaintenanceScreens, VandryShowsTheLinkTextOnlyAfterALinkCall)
{
    FailingLink failing(-20);
    maintenance::ui::TfmVandry w(ui, failing, workspace(), {});
    // A cancelled chooser: no link call, so no stale status text.
    ui.answerPromptCancel();
    EXPECT_FALSE(w.MnuSendFileClick());
    EXPECT_TRUE(ui.texts("info").isEmpty());
    EXPECT_TRUE(w.isEnabled());

    // A failed send: the link's own text.
    writeFile("a.txt", "x");
    ui.answerChooser(path("a.txt"));
    EXPECT_FALSE(w.MnuSendFileClick());
    EXPECT_EQ(ui.texts("info"), QStringList{"디렉토리 설정이 되어 있지 않습니다"});
    EXPECT_FALSE(ui.waitVisible());
}

TEST_F(MaintenanceScreens, VandryRestoreReorganisesOnlyAfterASuccessfulRestore)
{
    makeDatabase();
    maintenance::ui::TfmVandry w(ui, link(), workspace(), {});
    writeFile("FA240101.zip", "not an archive");
    ui.answerChooser(path("FA240101.zip"));
    EXPECT_FALSE(w.BtnRestoreClick());
    EXPECT_FALSE(ui.texts("wait").contains("자료 재정리를 준비중입니다."));
    EXPECT_TRUE(ui.texts("info").isEmpty());
}

TEST_F(MaintenanceScreens, ReorganiseEntryStopsWhenTheWantedBackupIsNotMade)
{
    makeDatabase();
    store::TDM1 dm(ui, workspace());
    ASSERT_TRUE(dm.Connect(workspace().dataDir));
    QWidget window;
    ui.answerConfirm(true);  // back up first
    ui.answerPromptCancel(); // … but no folder chosen
    EXPECT_FALSE(maintenance::ui::RunReorganiseEntry(&window, ui, dm, workspace()));
    EXPECT_FALSE(QFileInfo::exists(path("Data/Temp")));
    EXPECT_TRUE(ui.texts("info").isEmpty());
    EXPECT_TRUE(window.isEnabled());
    EXPECT_TRUE(dm.IsOpen());
}

TEST_F(MaintenanceScreens, RestoreEntryRestoresReorganisesAndReopens)
{
    makeDatabase(4);
    const QStringList before = dump({}, "Apt1");
    store::TDM1 dm(ui, workspace());
    ASSERT_TRUE(dm.Connect(workspace().dataDir));
    QWidget window;
    QDir().mkpath(path("bk"));
    ui.answerChooser(path("bk"));
    ASSERT_TRUE(maintenance::ui::RunBackupEntry(&window, ui, dm, workspace()));
    EXPECT_EQ(ui.texts("info"), QStringList{"자료 받기가 완료되었습니다."});
    exec({"DELETE FROM Apt1"});

    ui.clear();
    ui.answerChooser(path("bk/FA2403151030.zip"));
    ASSERT_TRUE(maintenance::ui::RunRestoreEntry(&window, ui, dm, workspace()));
    EXPECT_EQ(ui.texts("info"), QStringList{"자료 복구가 완료되었습니다."});
    EXPECT_TRUE(ui.texts("wait").contains("자료를 열고 있습니다."));
    EXPECT_TRUE(dm.IsOpen());
    EXPECT_TRUE(window.isEnabled());
    EXPECT_EQ(dump({}, "Apt1"), before);
}

TEST_F(MaintenanceScreens, HelpDeskEntriesNeedTheWarningAndThePassword)
{
    makeDatabase();
    store::TDM1 dm(ui, workspace());
    QWidget window;
    int asked = 0;
    const maintenance::ui::PasswordPrompt refuse = [&](shell::Ui&, QWidget*) {
        ++asked;
        return false;
    };
    ui.answerConfirm(false);
    EXPECT_FALSE(
        maintenance::ui::RunHelpDeskDataEntry(&window, ui, dm, workspace(), link(), refuse));
    EXPECT_EQ(asked, 0);
    ui.answerConfirm(true);
    EXPECT_FALSE(maintenance::ui::RunHelpDeskFileEntry(&window, ui, workspace(), link(), refuse));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(ui.texts("confirm")[0].startsWith("이 기능은 장애 발생시 Miradel 주식회사에"));
}
