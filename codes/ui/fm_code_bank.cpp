#include "codes/ui/fm_code_bank.h"

#include "shell/ui.h"
#include "widgets/column_memory.h"
#include "widgets/field_validator.h"
#include "widgets/field_widgets.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QCheckBox>
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

const QStringList kHints = {
    "신규 설정 내용 입력[Ctrl-I]",           "설정 내용 수정[Ctrl-E]",
    "설정 내용 삭제[Ctrl-D]",               "입력 또는 수정한 내용 저장 [Ctrl-S]",
    "입력 또는 수정한 내용 취소[Esc]",       "화면 닫기[Ctrl-F4]",
};

QLabel* note(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setStyleSheet("color: #555");
    return l;
}

} // namespace

fmCode_Bank::fmCode_Bank(QSqlDatabase db, shell::Ui& ui, const QString& title, bool viewOnly,
                         QWidget* parent)
    : CodeScreen(title, "fmCode_Bank", viewOnly, kHints, parent), m_store(db, ui, title)
{
    QTableWidget* grid = makeGrid({"코  드", "내       용", "은행전문", "출금동의신청", "실명번호"},
                                  QAbstractItemView::ExtendedSelection);
    grid->setColumnWidth(0, 60);
    grid->setColumnWidth(1, 180);

    m_code = new QLineEdit(this);
    m_code->setValidator(new widgets::FieldValidator(2, true, m_code));
    m_code->setMaxLength(2);
    m_name = new QLineEdit(this);
    m_name->setMaxLength(20);
    m_name->setValidator(new widgets::FieldValidator(40, false, m_name, &BankCodes::FilterName));

    m_sendVersion = new QComboBox(this);
    m_sendVersion->addItems({"전금법전(0)", "전금법후(1)"});
    m_sendVersion->setEnabled(false);
    m_lawGroup = new QGroupBox("[전금법 후] 설정", this);
    m_moneyLaw = new QCheckBox("출금동의신청 검사", m_lawGroup);
    m_juminCheck = new QCheckBox("실명번호 검사", m_lawGroup);
    m_moneyLaw->setEnabled(false);
    m_juminCheck->setEnabled(false);
    auto* lawLayout = new QFormLayout(m_lawGroup);
    lawLayout->addRow(m_moneyLaw, note(":이체시 출금동의 등록여부 검사", m_lawGroup));
    lawLayout->addRow(m_juminCheck, note(":출금동의 등록시 실명번호 검사", m_lawGroup));

    auto* form = new QFormLayout;
    form->addRow("코  드", m_code);
    form->addRow("내  용", m_name);
    auto* versionRow = new QHBoxLayout;
    versionRow->addWidget(m_sendVersion);
    versionRow->addWidget(note(":출금동의신청 송수신 여부", this));
    form->addRow("은행전문", versionRow);

    auto* top = new QVBoxLayout(this);
    top->addWidget(commands()->toolBar());
    top->addLayout(form);
    top->addWidget(m_lawGroup);
    top->addWidget(grid, 1);
    resize(560, 520);

    wire();
    connect(grid, &QTableWidget::cellClicked, this, [this](int row) {
        if (const BankCodeEntry* r = rowAt(m_rows, row))
            m_lawGroup->setVisible(r->SENDVERSION == "1");
    });
    reload();
}

fmCode_Bank::~fmCode_Bank() = default;

const BankCodeEntry* fmCode_Bank::current() const
{
    return currentOf(m_rows);
}

void fmCode_Bank::reload(const QString& selectId)
{
    m_rows = m_store.List().value_or(QList<BankCodeEntry>()); // the message has been shown
    grid()->setRowCount(int(m_rows.size()));
    int select = m_rows.isEmpty() ? -1 : 0;
    for (int i = 0; i < m_rows.size(); ++i) {
        const BankCodeEntry& r = m_rows[i];
        const QStringList cells = {r.Id, r.Name, r.SendVersionText(), r.cMONEYLAW(),
                                   r.cJUMINCHECK()};
        for (int c = 0; c < cells.size(); ++c)
            grid()->setItem(i, c, new QTableWidgetItem(cells[c]));
        if (r.Id == selectId)
            select = i;
    }
    browseFrom(select);
    m_lawGroup->setVisible(current() && current()->SENDVERSION == "1");
}

void fmCode_Bank::showRow(int row)
{
    const BankCodeEntry& r = rowOrBlank(m_rows, row);
    m_code->setText(r.Id);
    m_name->setText(r.Name);
    m_sendVersion->setCurrentIndex(r.SendVersionIndex());
    m_moneyLaw->setChecked(r.MONEYLAW);
    m_juminCheck->setChecked(r.JUMINCHECK);
}

void fmCode_Bank::setEditing(bool on)
{
    m_code->setEnabled(on);
    m_name->setEnabled(on);
    setCommandsEditing(on, m_code, m_rows.isEmpty());
}

void fmCode_Bank::BtnInsertClick()
{
    if (!allowed(widgets::ScreenCommands::Insert) || !m_store.MayInsert())
        return;
    m_isNew = true;
    m_editingId.clear();
    grid()->clearSelection();
    showRow(-1);
    setEditing(true);
}

void fmCode_Bank::BtnEditClick()
{
    if (!allowed(widgets::ScreenCommands::Edit) || !current())
        return;
    if (!m_store.ConfirmEdit())
        return;
    m_isNew = false;
    m_editingId = current()->Id;
    setEditing(true);
}

void fmCode_Bank::BtnSaveClick()
{
    if (!commands()->editing())
        return;
    BankCodeEntry row;
    if (!m_isNew && current())
        row = *current(); // the switches and version stay as stored
    row.Id = m_code->text();
    row.Name = m_name->text();
    row.MONEYLAW = m_moneyLaw->isChecked();
    row.JUMINCHECK = m_juminCheck->isChecked();
    if (m_isNew)
        row.SENDVERSION = QString::number(qMax(0, m_sendVersion->currentIndex()));
    else if (m_sendVersion->currentIndex() < 0)
        row.SENDVERSION = current() ? current()->SENDVERSION : QString();
    const BankSave r = m_store.Save(row, m_isNew ? QString() : m_editingId);
    if (!r.saved) {
        widgets::WidgetFor<QWidget>(r.focus,
                                    {{BankField::Id, m_code},
                                     {BankField::JuminCheck, m_juminCheck},
                                     {BankField::SendVersion, m_sendVersion}},
                                    m_name)
            ->setFocus();
        return;
    }
    m_changed = true;
    m_isNew = false;
    reload(row.Id);
}

void fmCode_Bank::BtnDeleteClick()
{
    if (!allowed(widgets::ScreenCommands::Delete) || !current())
        return;
    QStringList selected;
    for (const QModelIndex& ix : grid()->selectionModel()->selectedRows())
        selected.append(m_rows[ix.row()].Id);
    if (m_store.Delete(*current(), selected)) {
        m_changed = true;
        reload();
    }
}

fmCode2::fmCode2(QSqlDatabase db, shell::Ui& ui, int selector, const QString& title,
                 QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    setObjectName("fmCode2");
    m_commands = new widgets::ScreenCommands(this, kHints);
    // These lists never change here, whichever menu opened them.
    m_commands->setViewOnly(true);
    m_grid = widgets::MakeCodeGrid(this, {"코  드", "내             용"},
                                   QAbstractItemView::ExtendedSelection);
    m_grid->setColumnWidth(0, 70);
    widgets::RestoreColumns(m_grid->horizontalHeader(), "Code2");
    m_commands->attachContextMenu(m_grid);
    m_code = new QLineEdit(this);
    m_name = new QLineEdit(this);
    m_code->setEnabled(false);
    m_name->setEnabled(false);

    auto* form = new QFormLayout;
    form->addRow("코  드", m_code);
    form->addRow("내  용", m_name);
    auto* top = new QVBoxLayout(this);
    top->addWidget(m_commands->toolBar());
    top->addLayout(form);
    top->addWidget(m_grid, 1);
    resize(520, 520);

    // A list that does not read stays empty under the message.
    const platform::Result<QList<QPair<QString, QString>>> read = CodeTableRows(db, selector);
    if (!read)
        ui.ShowError(read.error());
    const QList<QPair<QString, QString>> rows = read ? *read : QList<QPair<QString, QString>>();
    m_grid->setRowCount(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        m_grid->setItem(i, 0, new QTableWidgetItem(rows[i].first));
        m_grid->setItem(i, 1, new QTableWidgetItem(rows[i].second));
    }
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row) {
        m_code->setText(row >= 0 ? m_grid->item(row, 0)->text() : QString());
        m_name->setText(row >= 0 ? m_grid->item(row, 1)->text() : QString());
    });
    m_commands->setHandlers({{}, {}, {}, {}, {}, [this] { reject(); }});
    if (!rows.isEmpty())
        m_grid->setCurrentCell(0, 0);
}

fmCode2::~fmCode2()
{
    widgets::SaveColumns(m_grid->horizontalHeader(), "Code2");
}

} // namespace codes
