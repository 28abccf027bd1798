// The mailbox link's settings dialog, offscreen.

#include "edi/link.h"
#include "edi/mailbox_link.h"
#include "edi/ui/link_settings_dialog.h"
#include "shell/link_settings.h"
#include "shell/workspace.h"
#include "tests/support/workspace_fixture.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QApplication& app()
{
    static int argc = 1;
    static char name[] = "test_edi_ui";
    static char* argv[] = {name, nullptr};
    static QApplication a(argc, argv);
    return a;
}

class LinkSettingsDialogTest : public testing_support::WorkspaceTest
{
protected:
    void SetUp() override
    {
        app();
        WorkspaceTest::SetUp();
        shell::SetLinkProgramPath(home() + "Pelmar");
        shell::InitialiseLinkSettings();
    }
    void TearDown() override
    {
        edi::MailboxLink::SetSettingsDialog({});
        WorkspaceTest::TearDown();
    }
    static QLineEdit* field(QWidget& dialog, const char* name)
    {
        auto* edit = dialog.findChild<QLineEdit*>(name);
        EXPECT_NE(edit, nullptr) << name;
        return edit;
    }
    // Presses the dialog's button once its event loop runs.
    static void pressLater(QDialog*& open, const QString& caption)
    {
        QTimer::singleShot(0, [&open, caption] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            open = dialog;
            for (QPushButton* b : dialog->findChild<QDialogButtonBox*>()->findChildren<QPushButton*>())
                if (b->text() == caption)
                    b->click();
        });
    }
};

TEST_F(LinkSettingsDialogTest, ShowsTheSettingsAndHandsBackTheEdits)
{
    shell::TEdiConfig cfg;
    shell::ReadSettings(cfg);
    cfg.LoginID = "BR0001";
    cfg.Password = shell::EncodeLinkPassword("secret");
    cfg.DeleteCheck = false;
    edi::LinkSettingsDialog dialog(ui, cfg);

    EXPECT_EQ(dialog.windowTitle(), "통신 환경 설정");
    EXPECT_EQ(field(dialog, "LoginID")->text(), "BR0001");
    EXPECT_EQ(field(dialog, "Password")->text(), "secret"); // readable, but masked
    EXPECT_EQ(field(dialog, "Password")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(field(dialog, "SendDir")->text(), home() + "Send");
    EXPECT_EQ(field(dialog, "MailboxDir")->text(), "");

    field(dialog, "Password")->setText("new pw");
    field(dialog, "ResultDir")->setText("  " + home() + "Out  ");
    ui.answerChooser(home() + "Box");
    dialog.findChild<QPushButton*>("MailboxDirBrowse")->click();
    EXPECT_EQ(ui.pendingAnswers(), 0);

    const shell::TEdiConfig edited = dialog.settings();
    EXPECT_EQ(edited.Password, shell::EncodeLinkPassword("new pw"));
    EXPECT_EQ(edited.ResultDir, home() + "Out");
    EXPECT_EQ(edited.MailboxDir, home() + "Box");
    EXPECT_EQ(edited.LoginID, "BR0001");
    EXPECT_FALSE(edited.DeleteCheck); // what the dialog does not show passes through
    EXPECT_EQ(edited.Protocol, cfg.Protocol);
}

TEST_F(LinkSettingsDialogTest, LinkSetupThroughTheDialog)
{
    edi::InstallLinkSettingsDialog(ui);
    QDialog* shown = nullptr;

    pressLater(shown, "취 소");
    EXPECT_FALSE(edi::LinkSetup());
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(edi::LinkMessage(), "취소되었습니다.");

    QTimer::singleShot(0, [] {
        auto* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>("LoginID")->setText("BR0009");
    });
    pressLater(shown, "확 인");
    EXPECT_TRUE(edi::LinkSetup());
    EXPECT_EQ(edi::LinkMessage(), "정상 처리 되었습니다.");
    EXPECT_EQ(shell::ReadLoginID(), "BR0009");
}

} // namespace
