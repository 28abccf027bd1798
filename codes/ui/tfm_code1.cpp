#include "codes/ui/tfm_code1.h"

#include "shell/ui.h"
#include "widgets/column_memory.h"
#include "widgets/field_validator.h"
#include "widgets/field_widgets.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace codes {
namespace {

QLineEdit* makeEdit(QWidget* parent, int maxBytes, bool upper)
{
    auto* e = new QLineEdit(parent);
    e->setValidator(new widgets::FieldValidator(maxBytes, upper, e));
    return e;
}

} // namespace

TfmCode1::TfmCode1(QSqlDatabase db, shell::Ui& ui, const QString& title, bool viewOnly,
                   QWidget* parent)
    : CodeScreen(title, "TfmCode1", viewOnly, {}, parent), m_store(db, ui)
{
    QTableWidget* grid = makeGrid({"기관명칭", "기관코드", "모계좌번호"});
    grid->setColumnWidth(0, 200);
    grid->setColumnWidth(1, 110);
    widgets::RestoreColumns(grid->horizontalHeader(), "Code1");

    m_name = makeEdit(this, 40, false);
    m_apOut = makeEdit(this, 5, true);
    m_apIn = makeEdit(this, 5, true);
    m_apPass = makeEdit(this, 8, false);
    m_apPass->setEchoMode(QLineEdit::Password);
    m_apId10 = makeEdit(this, 10, false);
    m_apBCode = makeEdit(this, 7, true);
    m_bankNoApt = makeEdit(this, 16, false);
    m_tregOut = new QLineEdit("NA200", this);
    m_tregIn = new QLineEdit("NA200", this);
    m_tregOut->setReadOnly(true);
    m_tregIn->setReadOnly(true);
    m_authSendType = new QComboBox(this);
    m_authSendType->addItems(kEvidenceKinds);

    auto* form = new QFormLayout;
    form->addRow("기 관 명 칭", m_name);
    form->addRow("송신화일정보", m_apOut);
    form->addRow("수신화일정보", m_apIn);
    form->addRow("기관비밀번호", m_apPass);
    form->addRow("기 관 코 드", m_apId10);
    form->addRow("거래은행 ID", m_apBCode);
    form->addRow("모계좌번호", m_bankNoApt);

    auto* consent = new QGroupBox("출금동의신청", this);
    auto* consentForm = new QFormLayout(consent);
    consentForm->addRow("송신화일정보", m_tregOut);
    consentForm->addRow("수신화일정보", m_tregIn);
    auto* evidence = new QGroupBox("증빙자료전송", this);
    auto* evidenceForm = new QFormLayout(evidence);
    evidenceForm->addRow("증빙제출구분", m_authSendType);

    auto* right = new QVBoxLayout;
    right->addLayout(form);
    right->addWidget(consent);
    right->addWidget(evidence);
    right->addStretch();

    auto* body = new QHBoxLayout;
    body->addWidget(grid, 3);
    body->addLayout(right, 2);
    auto* top = new QVBoxLayout(this);
    top->addWidget(commands()->toolBar());
    top->addLayout(body);
    resize(760, 420);

    wire();
    reload();
}

TfmCode1::~TfmCode1()
{
    widgets::SaveColumns(grid()->horizontalHeader(), "Code1");
}

QLineEdit* TfmCode1::field(InstitutionField f) const
{
    return widgets::WidgetFor<QLineEdit>(f, {{InstitutionField::Name, m_name},
                                             {InstitutionField::APOUT, m_apOut},
                                             {InstitutionField::APIN, m_apIn},
                                             {InstitutionField::APPASS, m_apPass},
                                             {InstitutionField::APID10, m_apId10},
                                             {InstitutionField::APBCODE, m_apBCode},
                                             {InstitutionField::BankNoApt, m_bankNoApt}});
}

const Institution* TfmCode1::current() const
{
    return currentOf(m_rows);
}

void TfmCode1::reload(qint64 selectRec)
{
    m_rows = m_store.List().value_or(QList<Institution>()); // the message has been shown
    grid()->setRowCount(int(m_rows.size()));
    int select = m_rows.isEmpty() ? -1 : 0;
    for (int i = 0; i < m_rows.size(); ++i) {
        const Institution& r = m_rows[i];
        grid()->setItem(i, 0, new QTableWidgetItem(r.Name));
        grid()->setItem(i, 1, new QTableWidgetItem(r.APID10));
        grid()->setItem(i, 2, new QTableWidgetItem(r.BankNoApt));
        if (r.Rec == selectRec)
            select = i;
    }
    browseFrom(select);
}

void TfmCode1::showRow(int row)
{
    const Institution& r = rowOrBlank(m_rows, row);
    m_name->setText(r.Name);
    m_apOut->setText(r.APOUT);
    m_apIn->setText(r.APIN);
    m_apPass->setText(r.APPASS);
    m_apId10->setText(r.APID10);
    m_apBCode->setText(r.APBCODE);
    m_bankNoApt->setText(r.BankNoApt);
    m_tregOut->setText(r.TREGISTEROUT);
    m_tregIn->setText(r.TREGISTERIN);
    m_authSendType->setCurrentIndex(int(kEvidenceKinds.indexOf(r.AUTHSENDTYPE.trimmed())));
}

void TfmCode1::setEditing(bool on)
{
    for (QWidget* w : {static_cast<QWidget*>(m_name), static_cast<QWidget*>(m_apOut),
                       static_cast<QWidget*>(m_apIn), static_cast<QWidget*>(m_apPass),
                       static_cast<QWidget*>(m_apId10), static_cast<QWidget*>(m_apBCode),
                       static_cast<QWidget*>(m_bankNoApt), static_cast<QWidget*>(m_authSendType)})
        w->setEnabled(on);
    m_tregOut->setEnabled(false);
    m_tregIn->setEnabled(false);
    setCommandsEditing(on, m_name, m_rows.isEmpty());
}

Institution TfmCode1::fromFields() const
{
    Institution r;
    if (!m_isNew && current())
        r.Rec = current()->Rec;
    r.Name = m_name->text();
    r.APOUT = m_apOut->text().trimmed();
    r.APIN = m_apIn->text().trimmed();
    r.APPASS = m_apPass->text();
    r.APID10 = m_apId10->text().trimmed();
    r.APBCODE = m_apBCode->text().trimmed();
    r.BankNoApt = m_bankNoApt->text().trimmed();
    r.AUTHSENDTYPE = m_authSendType->currentText();
    return r;
}

void TfmCode1::BtnInsertClick()
{
    if (!allowed(widgets::ScreenCommands::Insert))
        return;
    m_isNew = true;
    showRow(-1);
    m_tregOut->setText("NA200");
    m_tregIn->setText("NA200");
    setEditing(true);
}

void TfmCode1::BtnEditClick()
{
    if (!allowed(widgets::ScreenCommands::Edit) || !current())
        return;
    if (!m_store.ConfirmInUse(*current()))
        return;
    m_isNew = false;
    // Editing an older row resets the consent file codes.
    m_tregOut->setText("NA200");
    m_tregIn->setText("NA200");
    setEditing(true);
}

void TfmCode1::BtnSaveClick()
{
    if (!commands()->editing())
        return;
    Institution row = fromFields();
    const InstitutionSave r = m_store.Save(row, m_isNew);
    if (!r.saved) {
        if (QLineEdit* e = field(r.focus))
            e->setFocus();
        else if (r.focus == InstitutionField::AUTHSENDTYPE)
            m_authSendType->setFocus();
        return;
    }
    m_isNew = false;
    reload(row.Rec);
}

void TfmCode1::BtnDeleteClick()
{
    if (!allowed(widgets::ScreenCommands::Delete) || !current())
        return;
    const int selected = int(grid()->selectionModel()->selectedRows().size());
    if (m_store.Delete(*current(), selected))
        reload();
}

} // namespace codes
