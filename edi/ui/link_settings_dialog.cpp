#include "edi/ui/link_settings_dialog.h"

#include "edi/mailbox_link.h"
#include "shell/ui.h"
#include "store/exchange_files.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace edi {

LinkSettingsDialog::LinkSettingsDialog(shell::Ui& ui, const shell::TEdiConfig& settings,
                                       shell::ExchangeFileNames own, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_settings(settings), m_own(std::move(own))
{
    setWindowTitle(QStringLiteral("통신 환경 설정"));

    auto* userBox = new QGroupBox(QStringLiteral("사용자 정보"), this);
    auto* userGrid = new QGridLayout(userBox);
    m_loginId = new QLineEdit(settings.LoginID, userBox);
    m_loginId->setObjectName("LoginID");
    m_password = new QLineEdit(shell::DecodeLinkPassword(settings.Password), userBox);
    m_password->setObjectName("Password");
    m_password->setEchoMode(QLineEdit::Password);
    userGrid->addWidget(new QLabel(QStringLiteral("사용자 ID"), userBox), 0, 0);
    userGrid->addWidget(m_loginId, 0, 1);
    userGrid->addWidget(new QLabel(QStringLiteral("비밀번호"), userBox), 1, 0);
    userGrid->addWidget(m_password, 1, 1);

    auto* dirBox = new QGroupBox(QStringLiteral("디렉토리"), this);
    auto* dirGrid = new QGridLayout(dirBox);
    m_sendDir = addDirectoryRow(dirGrid, 0, QStringLiteral("송신 디렉토리"), "SendDir",
                                settings.SendDir);
    m_recvDir = addDirectoryRow(dirGrid, 1, QStringLiteral("수신 디렉토리"), "RecvDir",
                                settings.RecvDir);
    m_resultDir = addDirectoryRow(dirGrid, 2, QStringLiteral("결과 디렉토리"), "ResultDir",
                                  settings.ResultDir);
    m_scriptDir = addDirectoryRow(dirGrid, 3, QStringLiteral("스크립트 디렉토리"), "ScriptDir",
                                  settings.ScriptDir);
    m_mailboxDir = addDirectoryRow(dirGrid, 4, QStringLiteral("우편함 폴더"), "MailboxDir",
                                   settings.MailboxDir);
    m_mailboxDir->setPlaceholderText(QStringLiteral("(기본값: 프로그램 폴더의 Mailbox)"));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("확 인"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("취 소"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(userBox);
    layout->addWidget(dirBox);
    layout->addWidget(buttons);
    resize(520, sizeHint().height());
}

QLineEdit* LinkSettingsDialog::addDirectoryRow(QGridLayout* grid, int row, const QString& label,
                                               const QString& name, const QString& value)
{
    QWidget* box = grid->parentWidget();
    auto* edit = new QLineEdit(value, box);
    edit->setObjectName(name);
    auto* browse = new QPushButton(QStringLiteral("찾아보기..."), box);
    browse->setObjectName(name + "Browse");
    grid->addWidget(new QLabel(label, box), row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(browse, row, 2);
    connect(browse, &QPushButton::clicked, this, [this, edit, label] {
        if (const auto dir = m_ui.ChooseDirectory(label, edit->text().trimmed()))
            edit->setText(*dir);
    });
    return edit;
}

shell::TEdiConfig LinkSettingsDialog::settings() const
{
    shell::TEdiConfig s = m_settings;
    s.LoginID = m_loginId->text().trimmed();
    s.Password = shell::EncodeLinkPassword(m_password->text());
    s.SendDir = m_sendDir->text().trimmed();
    s.RecvDir = m_recvDir->text().trimmed();
    s.ResultDir = m_resultDir->text().trimmed();
    s.ScriptDir = m_scriptDir->text().trimmed();
    s.MailboxDir = m_mailboxDir->text().trimmed();
    return s;
}

void LinkSettingsDialog::accept()
{
    const shell::LinkFolderProblem problem = shell::CheckLinkFolders(settings(), m_own);
    if (!problem.name.isEmpty()) {
        m_ui.ShowError(problem.message);
        if (auto* edit = findChild<QLineEdit*>(problem.name)) {
            edit->setFocus();
            edit->selectAll();
        }
        return;
    }
    QDialog::accept();
}

bool LinkSettingsDialog::Edit(shell::Ui& ui, shell::TEdiConfig& settings,
                              shell::ExchangeFileNames own, QWidget* parent)
{
    LinkSettingsDialog dialog(ui, settings, std::move(own), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    settings = dialog.settings();
    return true;
}

MailboxLink::SettingsDialog LinkSettingsDialogFor(shell::Ui& ui, const shell::Workspace& ws)
{
    return [&ui, &ws](shell::TEdiConfig& settings) {
        const platform::Result<shell::ExchangeFileNames> names = store::ExchangeFileNamesOf(ws);
        if (!names) {
            ui.ShowError(names.error());
            return false;
        }
        return LinkSettingsDialog::Edit(ui, settings, *names, QApplication::activeWindow());
    };
}

} // namespace edi
