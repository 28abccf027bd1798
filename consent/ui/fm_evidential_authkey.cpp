#include "consent/ui/fm_evidential_authkey.h"

#include "consent/evidence_transfer.h"
#include "shell/site_settings.h"
#include "shell/ui.h"
#include "shell/workspace.h"
#include "widgets/field_validator.h"
#include "widgets/ok_cancel_row.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace consent {

fmEvidentialAuthkey::fmEvidentialAuthkey(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                                         QWidget* parent)
    : QDialog(parent), m_db(db), m_ui(ui), m_ws(ws)
{
    setWindowTitle(QStringLiteral("증빙자료 암호화키 등록"));
    setObjectName("fmEvidentialAuthkey");
    m_sendId = new QLineEdit(this);
    m_sendId->setMaxLength(10);
    m_sendId->setValidator(new widgets::FieldValidator(10, true, m_sendId));
    m_key = new QLineEdit(this);
    m_key->setMaxLength(64);
    m_key->setValidator(new widgets::FieldValidator(64, true, m_key));
    m_key->setMinimumWidth(420);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("증빙자료 전송ID"), m_sendId);
    form->addRow(QStringLiteral("증빙자료 암호화키"), m_key);

    auto* help =
        new QLabel(QStringLiteral("[증빙자료 암호화키가 없거나 분신하신 경우\n 고객센터(") +
                       shell::ReadSiteSettings(m_ws).helpDeskTel +
                       QStringLiteral(")로 문의하여 주시기 바랍니다.]"),
                   this);
    help->setStyleSheet("color: #1f4e9c");

    const widgets::OkCancelRow buttons =
        widgets::MakeOkCancelRow(this, &fmEvidentialAuthkey::BtnOkClick);
    buttons.ok->setDefault(true);

    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(help);
    top->addLayout(buttons.layout);

    const platform::Result<EvidenceAuthKey> stored = ReadEvidenceAuthKey(m_db);
    if (!stored) {
        m_ui.ShowError(stored.error());
        return;
    }
    m_sendId->setText(stored->SendId);
    m_key->setText(stored->AuthKey);
}

void fmEvidentialAuthkey::BtnOkClick()
{
    // A table error keeps the dialog open: closing would say it was saved.
    if (StoreEvidenceAuthKey(m_db, m_ui, {m_sendId->text(), m_key->text()}))
        accept();
}

void fmEvidentialAuthkey::done(int result)
{
    // The configuration always follows the stored row, so that a cancelled
    // key never reaches the secure client while the table keeps another.
    // A key that does not read leaves the configuration as it is.
    const platform::Result<EvidenceAuthKey> stored = ReadEvidenceAuthKey(m_db);
    if (stored && !m_key->text().trimmed().isEmpty() && !stored->AuthKey.trimmed().isEmpty())
        WriteSecureClientConfig(m_ws.programDir, *stored);
    QDialog::done(result);
}

} // namespace consent
