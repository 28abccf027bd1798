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
    edi::LinkSettingsDialog dialog(ui, cfg, shell::ExchangeFileNames());

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
    edi::MailboxLink link(workspace(), edi::LinkSettingsDialogFor(ui, workspace()));
    QDialog* shown = nullptr;

    pressLater(shown, "취 소");
    const edi::LinkOutcome cancelled = edi::LinkSetup(link, workspace());
    EXPECT_FALSE(cancelled.ok);
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(cancelled.message, "취소되었습니다.");

    QTimer::singleShot(0, [] {
        auto* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>("LoginID")->setText("BR0009");
    });
    pressLater(shown, "확 인");
    const edi::LinkOutcome saved = edi::LinkSetup(link, workspace());
    EXPECT_TRUE(saved.ok);
    EXPECT_EQ(saved.message, "정상 처리 되었습니다.");
    EXPECT_EQ(shell::ReadLoginID(), "BR0009");
}

// The send folder emptied in the current folder (the user's home after a
// desktop start) when it was left empty or relative: OK refuses and stays.
TEST_F(LinkSettingsDialogTest, OkRefusesFoldersThatAreEmptyRelativeOrNeverToBeEmptied)
{
    shell::TEdiConfig cfg;
    shell::ReadSettings(cfg);
    const struct
    {
        const char* field;
        QString value;
        const char* message;
    } cases[] = {
        {"SendDir", "", "송신 디렉토리를 입력하십시오."},
        {"SendDir", ".", "송신 디렉토리 \".\"는 전체 경로가 아닙니다."},
        {"RecvDir", "   ", "수신 디렉토리를 입력하십시오."},
        {"RecvDir", "Recv", "수신 디렉토리 \"Recv\"는 전체 경로가 아닙니다."},
        {"ResultDir", "", "결과 디렉토리를 입력하십시오."},
        {"MailboxDir", "box", "우편함 폴더 \"box\"는 전체 경로가 아닙니다."},
        {"SendDir", home(), "는 송수신 전에 파일을 모두 지우는 폴더이므로"},
        {"RecvDir", "/", "는 송수신 전에 파일을 모두 지우는 폴더이므로"},
        // A user's folder: the exchange would delete or send the user's files.
        {"SendDir", home() + "Documents", "\"thesis.odt\"이(가) 있습니다."},
        {"ResultDir", home() + "Documents", "\"thesis.odt\"이(가) 있습니다."},
    };
    writeFile("Documents/thesis.odt", "chapter 1");
    // The exchange's own files do not keep a folder from being chosen.
    const shell::ExchangeFileNames own(QStringList{"AB200"});
    for (const char* name : {"Out/Apt_1", "Out/Register_2", "Out/AB200", "Out/FAZIP"})
        writeFile(name, "x");
    const auto pressOk = [](QDialog& dialog) {
        for (QPushButton* b : dialog.findChild<QDialogButtonBox*>()->findChildren<QPushButton*>())
            if (b->text() == "확 인")
                b->click();
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + "=" + c.value.toStdString());
        ui.clear();
        edi::LinkSettingsDialog dialog(ui, cfg, own);
        dialog.open();
        field(dialog, c.field)->setText(c.value);
        pressOk(dialog);
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(ui.texts("error").size(), 1);
        EXPECT_TRUE(ui.texts("error")[0].contains(QString::fromUtf8(c.message)))
            << ui.texts("error")[0].toStdString();
        dialog.reject();
    }

    // Named in full, and the folders that may stay empty left empty: accepted.
    ui.clear();
    edi::LinkSettingsDialog dialog(ui, cfg, own);
    dialog.open();
    field(dialog, "SendDir")->setText(home() + "Out");
    field(dialog, "ScriptDir")->clear();
    field(dialog, "MailboxDir")->clear();
    pressOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(ui.texts("error").isEmpty());
}

} // namespace
