#include "shell/ui/user_input.h"

#include "shell/firm_ini.h"
#include "shell/log.h"
#include "shell/ui.h"
#include "widgets/ok_cancel_row.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace shell::ui {

TfrmUserInput::TfrmUserInput(Ui& ui, const Options& options, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_options(options)
{
    setWindowTitle(options.caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    m_label = new QLabel(options.label, this);
    layout->addWidget(m_label);
    m_entry = new QLineEdit(options.initial, this);
    m_entry->setFixedWidth(241);
    if (options.masked) {
        m_entry->setEchoMode(QLineEdit::Password);
        // The entry shows "*" for every character, as the users know it.
        m_entry->setStyleSheet("lineedit-password-character: 42");
    }
    layout->addWidget(m_entry);
    const widgets::OkCancelRow buttons = widgets::MakeOkCancelRow(this, &TfrmUserInput::BtnOkClick);
    buttons.ok->setDefault(true);
    buttons.ok->setObjectName("btnOk");
    buttons.cancel->setObjectName("btnCancel");
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TfrmUserInput::text() const
{
    return m_entry->text();
}

void TfrmUserInput::showEvent(QShowEvent* event)
{
    m_ui.HideWait();
    m_entry->setFocus();
    m_entry->selectAll();
    QDialog::showEvent(event);
}

void TfrmUserInput::done(int result)
{
    // The wait window comes back whichever way the prompt closes, so that
    // an operation that goes on after a cancelled prompt still shows it.
    m_ui.ReshowWait();
    QDialog::done(result);
}

void TfrmUserInput::BtnOkClick()
{
    const QString entered = m_entry->text();
    if (!m_options.acceptEmpty && entered.isEmpty()) {
        m_entry->setFocus();
        return;
    }
    if (m_options.compare && entered != m_options.expected) {
        m_ui.ShowInfo(QString("%1가 다릅니다.").arg(m_label->text()));
        ++m_failed;
        if (m_failed < m_options.attempts) {
            m_entry->setFocus();
            m_entry->selectAll();
        } else {
            reject();
        }
        return;
    }
    accept();
}

std::optional<QString> PasswordForCheck(Ui& ui, const Workspace& ws)
{
    const StoredPassword stored = ReadStoredPassword(ws);
    if (stored.readable)
        return stored.text;
    WriteLog(QStringLiteral("Firm.ini 의 비밀번호를 읽을 수 없어 비밀번호 확인을 거부함"), true);
    ui.ShowError(QStringLiteral(
        "Firm.ini 에 저장된 S/W 비밀번호를 읽을 수 없어 비밀번호를 확인할 수 없습니다.\r"
        "비밀번호 없이는 열지 않습니다.\r\r"
        "관리자가 Firm.ini 의 [General] 에서 Password 줄을 지운 뒤\r"
        "\"S/W 비밀번호 설정\"에서 비밀번호를 다시 등록하십시오."));
    return std::nullopt;
}

bool AskPassword(Ui& ui, const Workspace& ws, QWidget* parent)
{
    const std::optional<QString> expected = PasswordForCheck(ui, ws);
    if (!expected)
        return false;
    TfrmUserInput::Options o;
    o.caption = QStringLiteral("S/W 비밀번호 확인");
    o.label = QStringLiteral("비밀번호");
    o.masked = true;
    o.acceptEmpty = true;
    o.compare = true;
    o.expected = *expected;
    o.attempts = 3;
    TfrmUserInput dialog(ui, o, parent);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QString> PromptTextDialog(Ui& ui, const QString& caption, const QString& prompt,
                                        const QString& initial, bool secret, QWidget* parent)
{
    TfrmUserInput::Options o;
    o.caption = caption;
    o.label = prompt + " :";
    o.initial = initial;
    o.masked = secret;
    TfrmUserInput dialog(ui, o, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.text();
}

} // namespace shell::ui
