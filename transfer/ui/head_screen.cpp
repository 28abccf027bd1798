#include "transfer/ui/head_screen.h"

#include "transfer/batches.h"
#include "transfer/ui/screen_helpers.h"
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

using C = widgets::ScreenCommands;

HeadScreen::HeadScreen(store::TDM1& dm, shell::Ui& ui, const QString& objectName,
                       const QString& caption, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_ui(ui)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    // A table that does not read has been said; no institution is offered then.
    m_institutions = Batches(dm, ui).Institutions().value_or(QList<codes::Institution>());
}

HeadScreen::~HeadScreen()
{
    widgets::SaveColumns(m_grid->horizontalHeader(), m_columnsKey);
}

void HeadScreen::makeGrid(QAbstractItemModel* model, const QList<int>& widths,
                          const QString& columnsKey)
{
    m_columnsKey = columnsKey;
    m_grid = MakeGrid(this, model);
    for (int i = 0; i < widths.size(); ++i)
        m_grid->setColumnWidth(i, widths[i]);
    widgets::RestoreColumns(m_grid->horizontalHeader(), m_columnsKey);
}

QComboBox* HeadScreen::makeInstitutionField()
{
    m_institution = new QComboBox(this);
    m_institution->setMaxVisibleItems(5);
    for (const codes::Institution& i : m_institutions)
        m_institution->addItem(i.Name, i.APID10.trimmed());
    return m_institution;
}

QLineEdit* HeadScreen::makePasswordField()
{
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet("lineedit-password-character: 42;"); // shown as "*"
    m_password->setValidator(new widgets::FieldValidator(8, false, m_password));
    return m_password;
}

QLineEdit* HeadScreen::makeTextField(int byteLimit)
{
    auto* edit = new QLineEdit(this);
    edit->setValidator(new widgets::FieldValidator(byteLimit, false, edit));
    return edit;
}

void HeadScreen::build(const QList<QPair<QString, QWidget*>>& fields)
{
    auto* header = new QGridLayout;
    for (int i = 0; i < fields.size(); ++i) {
        m_fields.append(fields[i].second);
        header->addWidget(new QLabel(fields[i].first, this), i / 2, (i % 2) * 2);
        header->addWidget(fields[i].second, i / 2, (i % 2) * 2 + 1);
    }
    header->setColumnStretch(1, 2);
    header->setColumnStretch(3, 3);

    m_commands = new C(this);
    CompactToolBar(m_commands->toolBar());
    addExtras();
    m_commands->attachContextMenu(m_grid);
    m_commands->setHandlers({[this] { BtnInsertClick(); }, [this] { BtnEditClick(); },
                             [this] { BtnDeleteClick(); }, [this] { BtnSaveClick(); },
                             [this] { BtnCancelClick(); }, [this] { BtnCloseClick(); }});

    auto* top = new QVBoxLayout(this);
    top->addWidget(m_commands->toolBar());
    top->addLayout(header);
    top->addWidget(m_grid, 1);
    resize(820, 520);

    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!m_editing) {
            showCurrent();
            updateCommands();
        }
    });
    connect(m_grid, &QTableView::doubleClicked, this, &HeadScreen::GridDblClick);
    reload();
    m_grid->setFocus();
}

QAction* HeadScreen::addLinesCommand()
{
    m_lines = m_commands->addCommand("이체자료", QKeySequence(Qt::CTRL | Qt::Key_Return),
                                     QStyle::SP_FileDialogContentsView, C::Save);
    m_lines->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    connect(m_lines, &QAction::triggered, this, &HeadScreen::BtnLinesClick);
    return m_lines;
}

QAction* HeadScreen::addFindCommand()
{
    m_find = m_commands->addCommand("검 색", QKeySequence(Qt::CTRL | Qt::Key_F),
                                    QStyle::SP_FileDialogInfoView, C::Save);
    connect(m_find, &QAction::triggered, this, &HeadScreen::BtnFindClick);
    return m_find;
}

QAction* HeadScreen::addSortCommand(const QList<QPair<QString, int>>& choices)
{
    auto* menu = new QMenu(this);
    m_sorting = widgets::SortChoices(menu, choices, [this](int o) { sortBy(o); });
    m_sort = m_commands->addCommand("정 렬", {}, QStyle::SP_ArrowDown, C::Save, menu);
    return m_sort;
}

QAction* HeadScreen::sortChoice(int order) const
{
    return m_sorting.choice(order);
}

void HeadScreen::sortBy(int order)
{
    if (m_editing)
        return;
    m_sorting.choose(order);
    reload();
}

void HeadScreen::showHeadFields(const TransferHead* head)
{
    m_institution->setCurrentIndex(
        head
            ? m_institution->findData(head->GiganID10.trimmed(), Qt::UserRole, Qt::MatchFixedString)
            : -1);
    m_password->setText(head ? head->Pass : QString());
    m_remark->setText(head ? head->Bigo : QString());
}

void HeadScreen::takeHeadFields(TransferHead& head) const
{
    head.GiganID10 = m_institution->currentData().toString();
    head.Pass = m_password->text();
    head.Bigo = m_remark->text();
}

int HeadScreen::currentRow() const
{
    return CurrentRow(m_grid);
}

void HeadScreen::reload(int selectId)
{
    beforeReload();
    const int keepRow = currentRow();
    const int keepId = keepRow >= 0 && keepRow < rowCount() ? headAt(keepRow).id : 0;
    loadRows();
    const int want = selectId ? selectId : keepId;
    int row = -1;
    for (int i = 0; i < rowCount(); ++i)
        if (headAt(i).id == want) {
            row = i;
            break;
        }
    if (row < 0 && rowCount() > 0)
        row = qBound(0, keepRow, rowCount() - 1);
    MoveTo(m_grid, row);
    showCurrent();
    updateCommands();
}

void HeadScreen::setEditing(bool on)
{
    m_editing = on;
    m_grid->setEnabled(!on);
    updateCommands();
}

void HeadScreen::updateCommands()
{
    for (QWidget* w : m_fields)
        w->setEnabled(m_editing);
    const bool empty = rowCount() == 0;
    if (m_editing) {
        m_commands->setEditing();
        m_commands->action(C::Close)->setEnabled(false);
        for (QAction* a : m_extraActions)
            a->setEnabled(a == m_lines);
    } else {
        m_commands->setBrowse(empty);
        const int row = currentRow();
        m_commands->action(C::Edit)->setEnabled(!empty && row >= 0 && row < rowCount() &&
                                                headAt(row).editable);
        enableExtras(empty);
    }
    commandsUpdated();
    m_sorting.setEnabled(m_sort->isEnabled());
}

void HeadScreen::enableExtras(bool empty)
{
    for (QAction* a : m_extraActions)
        a->setEnabled(!empty);
}

void HeadScreen::focusNew()
{
    m_fields.first()->setFocus();
}

void HeadScreen::showCopy(std::optional<int> id)
{
    m_grid->clearSelection();
    reload(id.value_or(0));
}

void HeadScreen::BtnInsertClick()
{
    if (m_editing || !m_commands->action(C::Insert)->isEnabled())
        return;
    if (!takeNew())
        return;
    m_isNew = true;
    m_grid->clearSelection();
    setEditing(true);
    showEdited();
    focusNew();
}

void HeadScreen::BtnEditClick()
{
    const int row = currentRow();
    if (m_editing || !m_commands->action(C::Edit)->isEnabled() || row < 0 || row >= rowCount() ||
        !headAt(row).editable)
        return;
    takeCurrent();
    m_isNew = false;
    setEditing(true);
    m_fields.first()->setFocus();
}

void HeadScreen::BtnSaveClick()
{
    if (!m_editing)
        return;
    if (QWidget* fault = storeEdited()) {
        m_saveFailed = true;
        fault->setFocus();
        return;
    }
    m_saveFailed = false;
    m_isNew = false;
    setEditing(false);
    reload(editedId());
    m_grid->setFocus();
}

void HeadScreen::BtnCancelClick()
{
    if (!m_editing)
        return;
    m_isNew = false;
    m_saveFailed = false;
    setEditing(false);
    showCurrent();
    m_grid->setFocus();
}

void HeadScreen::BtnDeleteClick()
{
    if (m_editing || !m_commands->action(C::Delete)->isEnabled())
        return;
    // What the question counts is what goes: the selected heads, or the
    // current one when none is selected.
    QList<int> ids;
    for (int row : SelectedOrCurrent(m_grid))
        ids.append(headAt(row).id);
    if (!deleteHeads(ids))
        return;
    m_grid->clearSelection();
    reload();
}

void HeadScreen::BtnLinesClick()
{
    if (!m_lines->isEnabled())
        return;
    if (m_editing) {
        BtnSaveClick();
        if (m_saveFailed || m_editing)
            return;
    }
    const int row = currentRow();
    if (row < 0 || row >= rowCount())
        return;
    const Head head = headAt(row);
    if (head.institution.trimmed().isEmpty()) {
        m_institution->setFocus();
        return;
    }
    openLines(row);
    reload(head.id);
}

void HeadScreen::BtnFindClick()
{
    if (m_editing || !m_find->isEnabled())
        return;
    openFind();
}

void HeadScreen::GridDblClick()
{
    const int row = currentRow();
    if (m_editing || row < 0 || row >= rowCount())
        return;
    const int id = headAt(row).id;
    if (toggleState(id))
        reload(id);
}

void HeadScreen::BtnCloseClick()
{
    // Inside the main window the frame asks CloseQuery, as 닫 기 does.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

bool HeadScreen::CloseQuery()
{
    CancelEdits();
    return true;
}

void HeadScreen::CancelEdits()
{
    BtnCancelClick();
}

} // namespace transfer
