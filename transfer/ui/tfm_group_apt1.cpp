#include "transfer/ui/tfm_group_apt1.h"

#include "shell/ui.h"
#include "store/tdm1.h"
#include "transfer/lines.h"
#include "transfer/ui/row_table_model.h"
#include "transfer/ui/screen_helpers.h"
#include "transfer/ui/tfm_apt2.h"
#include "transfer/ui/transfer_dialogs.h"
#include "widgets/column_memory.h"
#include "widgets/field_validator.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace transfer {
namespace {

using Model = RowTableModel<TransferGroup>;
using C = widgets::ScreenCommands;

QList<QPair<QString, int>> sortChoices()
{
    return {{"정렬 안함", int(GroupOrder::None)},
            {"그룹이름 순으로 정렬", int(GroupOrder::Name)},
            {"기관코드 순으로 정렬", int(GroupOrder::Institution)}};
}

} // namespace

QString TfmGroupApt1::Caption()
{
    return QStringLiteral("Veltrin그룹관리-관리사무소정보");
}

TfmGroupApt1::TfmGroupApt1(store::TDM1& dm, shell::Ui& ui, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_ui(ui), m_groups(dm, ui)
{
    setObjectName("TfmGroupApt1");
    setWindowTitle(Caption());
    m_institutions = Batches(dm, ui).Institutions();

    m_model = new Model(
        {{"그  룹  명", [](const TransferGroup& g) { return g.GroupName; }},
         {"기관코드", [](const TransferGroup& g) { return g.GiganID10; }},
         {"기 관 명", [](const TransferGroup& g) { return g.GiganName; }},
         {"의뢰건수", [](const TransferGroup& g) { return FormatAmount(g.TotNo); }, true},
         {"의뢰금액", [](const TransferGroup& g) { return FormatAmount(g.TotMoney); }, true}},
        this);
    m_grid = MakeGrid(this, m_model);
    const int widths[] = {160, 110, 170, 80, 130};
    for (int i = 0; i < 5; ++i)
        m_grid->setColumnWidth(i, widths[i]);
    widgets::RestoreColumns(m_grid->horizontalHeader(), "GroupApt1");

    m_name = new QLineEdit(this);
    m_name->setValidator(new widgets::FieldValidator(20, false, m_name));
    m_institution = new QComboBox(this);
    m_institution->setMaxVisibleItems(5);
    for (const codes::Institution& i : m_institutions)
        m_institution->addItem(i.Name, i.APID10.trimmed());
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet("lineedit-password-character: 42;");
    m_password->setValidator(new widgets::FieldValidator(8, false, m_password));
    m_remark = new QLineEdit(this);
    m_remark->setValidator(new widgets::FieldValidator(80, false, m_remark));

    auto* header = new QGridLayout;
    header->addWidget(new QLabel("그 룹 명", this), 0, 0);
    header->addWidget(m_name, 0, 1);
    header->addWidget(new QLabel("기관업체명", this), 0, 2);
    header->addWidget(m_institution, 0, 3);
    header->addWidget(new QLabel("기관비밀번호", this), 1, 0);
    header->addWidget(m_password, 1, 1);
    header->addWidget(new QLabel("비    고", this), 1, 2);
    header->addWidget(m_remark, 1, 3);
    header->setColumnStretch(1, 2);
    header->setColumnStretch(3, 3);

    buildCommands();
    auto* top = new QVBoxLayout(this);
    top->addWidget(m_commands->toolBar());
    top->addLayout(header);
    top->addWidget(m_grid, 1);
    resize(820, 520);

    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!m_editing) {
            showGroup(current());
            updateCommands();
        }
    });
    connect(m_grid, &QTableView::doubleClicked, this, &TfmGroupApt1::GridDblClick);
    reload();
    m_grid->setFocus();
}

TfmGroupApt1::~TfmGroupApt1()
{
    widgets::SaveColumns(m_grid->horizontalHeader(), "GroupApt1");
}

void TfmGroupApt1::buildCommands()
{
    m_commands = new C(this);
    CompactToolBar(m_commands->toolBar());
    auto* sortMenu = new QMenu(this);
    m_sortGroup =
        AddChoices(sortMenu, sortChoices(), int(m_order), [this](int o) { SortBy(GroupOrder(o)); });
    m_extras[Copy] = m_commands->addCommand("복 사", QKeySequence(Qt::CTRL | Qt::Key_T),
                                            QStyle::SP_FileDialogNewFolder, C::Save);
    m_extras[Lines] = m_commands->addCommand("이체자료", QKeySequence(Qt::CTRL | Qt::Key_Return),
                                             QStyle::SP_FileDialogContentsView, C::Save);
    m_extras[Find] = m_commands->addCommand("검 색", QKeySequence(Qt::CTRL | Qt::Key_F),
                                            QStyle::SP_FileDialogInfoView, C::Save);
    m_extras[Sort] = m_commands->addCommand("정 렬", {}, QStyle::SP_ArrowDown, C::Save, sortMenu);
    m_extras[Lines]->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    m_commands->attachContextMenu(m_grid);
    connect(m_extras[Copy], &QAction::triggered, this, &TfmGroupApt1::BtnCopyClick);
    connect(m_extras[Lines], &QAction::triggered, this, &TfmGroupApt1::BtnLinesClick);
    connect(m_extras[Find], &QAction::triggered, this, &TfmGroupApt1::BtnFindClick);
    m_commands->setHandlers({[this] { BtnInsertClick(); }, [this] { BtnEditClick(); },
                             [this] { BtnDeleteClick(); }, [this] { BtnSaveClick(); },
                             [this] { BtnCancelClick(); }, [this] { BtnCloseClick(); }});
}

QAction* TfmGroupApt1::sortAction(GroupOrder order) const
{
    return ChoiceFor(m_sortGroup, int(order));
}

const QList<TransferGroup>& TfmGroupApt1::groups() const
{
    return m_model->rows();
}

int TfmGroupApt1::currentRow() const
{
    return CurrentRow(m_grid);
}

const TransferGroup* TfmGroupApt1::current() const
{
    return m_model->rowAt(currentRow());
}

void TfmGroupApt1::reload(int selectAptId)
{
    const int keepRow = currentRow();
    const int want = selectAptId ? selectAptId : (current() ? current()->AptID : 0);
    m_model->setRows(m_groups.List(m_order));
    int row = -1;
    for (int i = 0; i < groups().size(); ++i)
        if (groups()[i].AptID == want) {
            row = i;
            break;
        }
    if (row < 0 && !groups().isEmpty())
        row = qBound(0, keepRow, int(groups().size()) - 1);
    MoveTo(m_grid, row);
    showGroup(current());
    updateCommands();
}

void TfmGroupApt1::showGroup(const TransferGroup* g)
{
    const TransferGroup empty;
    const TransferGroup& r = g ? *g : empty;
    m_name->setText(r.GroupName);
    m_institution->setCurrentIndex(
        g ? m_institution->findData(r.GiganID10.trimmed(), Qt::UserRole, Qt::MatchFixedString)
          : -1);
    m_password->setText(r.Pass);
    m_remark->setText(r.Bigo);
}

void TfmGroupApt1::setEditing(bool on)
{
    m_editing = on;
    m_grid->setEnabled(!on);
    updateCommands();
}

void TfmGroupApt1::updateCommands()
{
    for (QWidget* w : {static_cast<QWidget*>(m_name), static_cast<QWidget*>(m_institution),
                       static_cast<QWidget*>(m_password), static_cast<QWidget*>(m_remark)})
        w->setEnabled(m_editing);
    const bool empty = groups().isEmpty();
    if (m_editing) {
        m_commands->setEditing();
        m_commands->action(C::Close)->setEnabled(false);
        for (QAction* a : m_extras)
            a->setEnabled(a == m_extras[Lines]);
    } else {
        m_commands->setBrowse(empty);
        m_commands->action(C::Edit)->setEnabled(!empty && current() && current()->editable());
        for (QAction* a : m_extras)
            a->setEnabled(!empty);
    }
    for (QAction* a : m_sortGroup->actions())
        a->setEnabled(m_extras[Sort]->isEnabled());
}

void TfmGroupApt1::BtnInsertClick()
{
    if (m_editing || !m_commands->action(C::Insert)->isEnabled())
        return;
    const std::optional<TransferGroup> row = m_groups.NewGroup();
    if (!row)
        return;
    m_row = *row;
    m_isNew = true;
    m_grid->clearSelection();
    setEditing(true);
    showGroup(&m_row);
    m_name->setFocus();
    m_name->selectAll();
}

void TfmGroupApt1::BtnEditClick()
{
    if (m_editing || !current() || !current()->editable())
        return;
    m_row = *current();
    m_isNew = false;
    setEditing(true);
    m_name->setFocus();
}

void TfmGroupApt1::BtnSaveClick()
{
    if (!m_editing)
        return;
    m_row.GroupName = m_name->text();
    m_row.GiganID10 = m_institution->currentData().toString();
    m_row.Pass = m_password->text();
    m_row.Bigo = m_remark->text();
    const GroupSave r = m_groups.Save(m_row, m_isNew);
    if (!r.saved) {
        m_saveFailed = true;
        switch (r.focus) {
        case GroupField::Password:
            m_password->setFocus();
            break;
        case GroupField::Institution:
            m_institution->setFocus();
            break;
        default:
            m_name->setFocus();
            break;
        }
        return;
    }
    m_saveFailed = false;
    m_isNew = false;
    setEditing(false);
    reload(m_row.AptID);
    m_grid->setFocus();
}

void TfmGroupApt1::BtnCancelClick()
{
    if (!m_editing)
        return;
    m_isNew = false;
    m_saveFailed = false;
    setEditing(false);
    showGroup(current());
    m_grid->setFocus();
}

void TfmGroupApt1::BtnDeleteClick()
{
    if (m_editing || !m_commands->action(C::Delete)->isEnabled())
        return;
    QList<int> ids;
    for (int row : SelectedOrCurrent(m_grid))
        ids.append(groups()[row].AptID);
    if (!m_groups.Delete(ids, Caption()))
        return;
    m_grid->clearSelection();
    reload();
}

void TfmGroupApt1::BtnCopyClick()
{
    if (m_editing || !current())
        return;
    m_commands->toolBar()->setEnabled(false);
    const std::optional<int> id = m_groups.Copy(current()->AptID);
    m_commands->toolBar()->setEnabled(true);
    m_grid->clearSelection();
    reload(id.value_or(0));
}

void TfmGroupApt1::BtnLinesClick()
{
    if (m_editing) {
        BtnSaveClick();
        if (m_saveFailed || m_editing)
            return;
    }
    const TransferGroup* g = current();
    if (!g)
        return;
    if (g->GiganID10.trimmed().isEmpty()) {
        m_institution->setFocus();
        return;
    }
    const TransferGroup group = *g;
    {
        TfmGroupApt2 lines(m_dm, m_ui, group, this);
        lines.exec();
    }
    reload(group.AptID);
}

void TfmGroupApt1::BtnFindClick()
{
    if (m_editing || groups().isEmpty())
        return;
    TfmFindGroupTon1 dialog(
        m_ui, m_institutions, groups(), [this] { return currentRow(); },
        [this](int row) { MoveTo(m_grid, row); }, this);
    dialog.exec();
}

void TfmGroupApt1::SortBy(GroupOrder order)
{
    if (m_editing)
        return;
    m_order = order;
    if (QAction* a = sortAction(order))
        a->setChecked(true);
    reload();
}

void TfmGroupApt1::GridDblClick()
{
    const TransferGroup* g = current();
    if (m_editing || !g)
        return;
    const int aptId = g->AptID;
    if (m_groups.ToggleState(aptId))
        reload(aptId);
}

void TfmGroupApt1::BtnCloseClick()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

bool TfmGroupApt1::CloseQuery()
{
    CancelEdits();
    return true;
}

void TfmGroupApt1::CancelEdits()
{
    BtnCancelClick();
}

} // namespace transfer
