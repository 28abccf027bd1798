#include "shell/codec.h"
#include "shell/firm_ini.h"
#include "shell/startup.h"
#include "shell/ui/config_dialog.h"
#include "shell/ui/user_input.h"
#include "shell/upgrade.h"
#include "shell/workspace.h"
#include "tests/support/qt_app.h"
#include "tests/support/workspace_fixture.h"

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using shell::Ui;

class Startup : public testing_support::WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        testing_support::QtApp();
    }
};

TEST_F(Startup, GuardsAskAgainAfterEveryOkAndEndOnCancel)
{
    // The maintenance program is seen twice, then the duplicate once.
    int maintenance = 2, duplicate = 1;
    shell::StartupProbes probes{[&] { return maintenance-- > 0; },
                                [&] { return duplicate-- > 0; }};
    ui.answerAsk(Ui::Ok);
    ui.answerAsk(Ui::Ok);
    ui.answerAsk(Ui::Ok);
    EXPECT_TRUE(shell::PassStartupGuards(ui, probes));
    const QStringList asked = ui.texts("ask");
    ASSERT_EQ(asked.size(), 3);
    EXPECT_TRUE(asked[0].startsWith("이 프로그램은 자료관리 프로그램과 같이 사용할 수 없습니다."));
    EXPECT_EQ(asked[1], asked[0]);
    EXPECT_TRUE(asked[2].startsWith("이 프로그램이 중복 실행되었습니다."));

    ui.clear();
    maintenance = 0;
    duplicate = 5;
    ui.answerAsk(Ui::Ok);
    ui.answerAsk(Ui::Cancel);
    EXPECT_FALSE(shell::PassStartupGuards(ui, probes));
    EXPECT_EQ(ui.texts("ask").size(), 2);
    EXPECT_EQ(ui.pendingAnswers(), 0);
}

TEST_F(Startup, PasswordPromptGivesThreeAttempts)
{
    ASSERT_TRUE(shell::WritePassword(workspace(), "abc123"));
    EXPECT_EQ(shell::ReadPassword(workspace()), "abc123");
    auto prompt = [&](const QStringList& entries) {
        shell::ui::TfrmUserInput::Options o;
        o.caption = "S/W 비밀번호 확인";
        o.label = "비밀번호";
        o.masked = true;
        o.acceptEmpty = true;
        o.compare = true;
        o.expected = shell::ui::PasswordForCheck(ui, workspace()).value_or("not readable");
        o.attempts = 3;
        shell::ui::TfrmUserInput dialog(ui, o);
        dialog.open();
        for (const QString& e : entries) {
            if (!dialog.isVisible())
                break;
            dialog.entry()->setText(e);
            dialog.BtnOkClick();
        }
        return dialog.result();
    };
    EXPECT_EQ(prompt({"x", "", "abc123"}), QDialog::Accepted);
    EXPECT_EQ(ui.texts("info"), QStringList({"비밀번호가 다릅니다.", "비밀번호가 다릅니다."}));
    ui.clear();
    // The fourth entry never gets a chance.
    EXPECT_EQ(prompt({"a", "b", "c", "abc123"}), QDialog::Rejected);
    EXPECT_EQ(ui.texts("info").size(), 3);

    // Without a password the empty entry is the right one.
    ASSERT_TRUE(shell::WritePassword(workspace(), ""));
    ui.clear();
    EXPECT_EQ(prompt({""}), QDialog::Accepted);
    EXPECT_TRUE(ui.texts("info").isEmpty());
}

TEST_F(Startup, ScreenSettingsOfferTheShippedPictures)
{
    // The pictures are shipped beside the programs, whatever folder the workspace is.
    shell::ui::TfmConfig dialog(ui, workspace(), shell::ui::TfmConfig::ScreenPage);
    QStringList names;
    for (int i = 0; i < dialog.pictures()->count(); ++i)
        names.append(dialog.pictures()->item(i)->text());
    EXPECT_EQ(names, (QStringList{"Main_Dawn.bmp", "Main_Field.bmp", "Main_Sky.bmp"}));
    for (const QString& name : names)
        EXPECT_FALSE(QPixmap(workspace().picturesDir() + name).isNull()) << name.toStdString();
}

TEST_F(Startup, SettingsDialogChecksBeforeStoringThePassword)
{
    ASSERT_TRUE(shell::WritePassword(workspace(), "old1"));
    shell::ui::TfmConfig dialog(ui, workspace(), shell::ui::TfmConfig::PasswordPage);
    dialog.open();
    dialog.oldPassword()->setText("wrong");
    dialog.BtnOkClick();
    EXPECT_TRUE(ui.saw("info", "\"기존비밀번호\"가 틀리게 입력되었습니다."));
    dialog.oldPassword()->setText("old1");
    dialog.newPassword()->setText("new1");
    dialog.confirmPassword()->setText("new2");
    dialog.BtnOkClick();
    EXPECT_TRUE(ui.saw("info", "\"새 비밀번호\"와 \"확인 비밀번호\"가 틀리게 입력되었습니다."));
    EXPECT_EQ(shell::ReadPassword(workspace()), "old1");
    // Removing it needs a Yes.
    dialog.newPassword()->clear();
    dialog.confirmPassword()->clear();
    ui.answerConfirm(false);
    dialog.BtnOkClick();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(shell::ReadPassword(workspace()), "old1");
    ui.answerConfirm(true);
    dialog.BtnOkClick();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(shell::ReadPassword(workspace()), "");
}

// A password whose stored bytes hold a line break would come back cut and
// then count as none: the dialog refuses it and the old one stays.
TEST_F(Startup, SettingsDialogRefusesAPasswordThatWouldComeBackCut)
{
    ASSERT_TRUE(shell::WritePassword(workspace(), "old1"));
    for (const char* pw : {"곰", "ab깔", "놓더란1"}) {
        SCOPED_TRACE(pw);
        ui.clear();
        shell::ui::TfmConfig dialog(ui, workspace(), shell::ui::TfmConfig::PasswordPage);
        dialog.open();
        dialog.oldPassword()->setText("old1");
        dialog.newPassword()->setText(QString::fromUtf8(pw));
        dialog.confirmPassword()->setText(QString::fromUtf8(pw));
        dialog.BtnOkClick();
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(ui.texts("info").size(), 1);
        EXPECT_TRUE(ui.texts("info")[0].startsWith("\"새 비밀번호\"에 저장할 수 없는 글자가"));
        EXPECT_EQ(shell::ReadPassword(workspace()), "old1");
        dialog.reject();
    }
}

// A Firm.ini that carries a password cut by the reader: the start says so
// and does not open, instead of taking it for no password.
TEST_F(Startup, AStoredPasswordThatCannotBeReadIsSaidAndDoesNotOpen)
{
    const QByteArray gom = shell::ScrambleBytes(shell::ToCp949(QStringLiteral("곰")));
    for (const QByteArray& stored : {gom, gom.left(1)}) {
        ui.clear();
        writeFile("Firm.ini", "[General]\r\nPassword=" + stored + "\r\nApt=5\r\n");
        // Were the prompt shown, its empty entry would be tried, and the
        // prompt closed if that did not open it. The timer dies with this
        // scope, so it never touches a later dialog.
        bool prompted = false;
        QTimer press;
        press.setSingleShot(true);
        QObject::connect(&press, &QTimer::timeout, [&prompted] {
            auto* prompt = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!prompt)
                return;
            prompted = true;
            if (auto* ok = prompt->findChild<QPushButton*>("btnOk"))
                ok->click();
            if (prompt->isVisible())
                prompt->reject();
        });
        press.start(0);
        EXPECT_FALSE(shell::ui::AskPassword(ui, workspace()));
        EXPECT_FALSE(prompted);
        ASSERT_EQ(ui.texts("error").size(), 1);
        EXPECT_TRUE(ui.texts("error")[0].startsWith(
            "Firm.ini 에 저장된 S/W 비밀번호를 읽을 수 없어 비밀번호를 확인할 수 없습니다."));

        // Nor can a new one be set over it with an empty old entry.
        ui.clear();
        shell::ui::TfmConfig dialog(ui, workspace(), shell::ui::TfmConfig::PasswordPage);
        dialog.open();
        dialog.newPassword()->setText("new1");
        dialog.confirmPassword()->setText("new1");
        dialog.BtnOkClick();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(ui.texts("error").size(), 1);
        EXPECT_FALSE(readFile("Firm.ini").contains(shell::ScrambleBytes("new1")));
        dialog.reject();
    }
}

TEST_F(Startup, UpgradeResultsAndTheirMessages)
{
    struct Case
    {
        qint32 result;
        bool upgraderStarts;
        bool ends;
        QString message;
    };
    const Case cases[] = {
        {1, true, true, {}},
        {1, false, false, {}},
        {2, true, false, {}},
        {10, true, false, "사용자 정보가 맞지 않습니다."},
        {14, true, false, "소켓 버퍼 OverFlow."},
        {17, true, false, "업데이트 파일의 수가 맞지 않습니다."},
        {0, true, false, "업그레이드 도중 알수 없는 오류가 발생하였습니다."},
        {18, true, false, "업그레이드 도중 알수 없는 오류가 발생하였습니다."},
        {-1, true, false, "업그레이드 도중 알수 없는 오류가 발생하였습니다."},
    };
    for (const Case& c : cases) {
        ui.clear();
        QByteArray appCode;
        const bool ends = shell::CheckForUpgrade(
            ui,
            [&](const QByteArray& code, const QByteArray&) {
                appCode = code;
                return c.result;
            },
            [&] { return c.upgraderStarts; });
        EXPECT_EQ(ends, c.ends) << c.result;
        EXPECT_EQ(appCode, "QV");
        const QStringList shown = ui.texts("plain") + ui.texts("info");
        EXPECT_EQ(shown, c.message.isEmpty() ? QStringList{} : QStringList{c.message}) << c.result;
    }
}
