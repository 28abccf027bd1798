#include "transfer/ui/tfm_apt1.h"

#include "reports/ui/tfm_print_option.h"
#include "shell/ui.h"
#include "store/tdm1.h"
#include "transfer/ui/row_table_model.h"
#include "transfer/ui/screen_helpers.h"
#include "transfer/ui/tfm_apt2.h"
#include "transfer/ui/transfer_dialogs.h"
#include "widgets/business_days.h"
#include "widgets/column_memory.h"
#include "widgets/field_validator.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QActionGroup>
#include <QColor>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace transfer {
namespace {

using Model = RowTableModel<TransferBatch>;
using C = widgets::ScreenCommands;

QString dateText(const QDate& d)
{
    return d.isValid() ? d.toString("yyyy-MM-dd") : QString();
}

// The choices of 정 렬 and the order each gives.
QList<QPair<QString, int>> sortChoices()
{
    return {{"정렬 안함", int(BatchOrder::None)},
            {"기관코드 순으로 정렬", int(BatchOrder::GiganID10)},
            {"이체일자 순으로 정렬", int(BatchOrder::IcheDate)},
            {"송신일자 순으로 정렬", int(BatchOrder::SendDate)},
            {"자료상태 순으로 정렬", int(BatchOrder::State)}};
}

} // namespace

QString TfmApt1::Caption()
{
    return QStringLiteral("Veltrin-관리사무소정보");
}

TfmApt1::TfmApt1(store::TDM1& dm, shell::Ui& ui, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_ui(ui), m_batches(dm, ui)
{
    setObjectName("TfmApt1");
    setWindowTitle(Caption());
    m_institutions = m_batches.Institutions();

    m_model = new Model(
        {{"기관코드", [](const TransferBatch& b) { return b.GiganID10; }},
         {"의뢰건수", [](const TransferBatch& b) { return FormatAmount(b.TotNo); }, true},
         {"의뢰금액", [](const TransferBatch& b) { return FormatAmount(b.TotMoney); }, true},
         {"이체일자", [](const TransferBatch& b) { return dateText(b.IcheDate); }},
         {"송신일자", [](const TransferBatch& b) { return dateText(b.SDATE()); }},
         {"수신일자", [](const TransferBatch& b) { return dateText(b.Rdate); }},
         {"상태", [](const TransferBatch& b) { return b.STAT(); }}},
        this);
    m_model->setColours([this](const TransferBatch& b) -> std::pair<QVariant, QVariant> {
        if (!closedDate(b))
            return {};
        return {QColor(255, 220, 220), QColor(Qt::red)};
    });
    m_model->setToolTips([this](const TransferBatch& b) {
        if (!closedDate(b))
            return QString();
        const QString name = m_calendar.describe(b.IcheDate).name;
        return QStringLiteral("이체일자가 휴무일입니다") +
               (name.isEmpty() ? "" : " (" + name + ")") +
               QStringLiteral(". 이체일자를 바꾸십시오.");
    });
    m_grid = MakeGrid(this, m_model);
    const int widths[] = {120, 80, 130, 100, 100, 100};
    for (int i = 0; i < 6; ++i)
        m_grid->setColumnWidth(i, widths[i]);
    widgets::RestoreColumns(m_grid->horizontalHeader(), "Apt1");

    m_institution = new QComboBox(this);
    m_institution->setMaxVisibleItems(5);
    for (const codes::Institution& i : m_institutions)
        m_institution->addItem(i.Name, i.APID10.trimmed());
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet("lineedit-password-character: 42;"); // shown as "*"
    m_password->setValidator(new widgets::FieldValidator(8, false, m_password));
    m_date = new QDateEdit(this);
    m_date->setDisplayFormat("yyyy-MM-dd");
    m_date->setCalendarPopup(true);
    widgets::MarkNonBusinessDays(m_date->calendarWidget(),
                                 [this](const QDate& d) { return m_calendar.isHoliday(d); });
    m_remark = new QLineEdit(this);
    m_remark->setValidator(new widgets::FieldValidator(80, false, m_remark));

    auto* header = new QGridLayout;
    header->addWidget(new QLabel("기관업체명", this), 0, 0);
    header->addWidget(m_institution, 0, 1);
    header->addWidget(new QLabel("기관비밀번호", this), 0, 2);
    header->addWidget(m_password, 0, 3);
    header->addWidget(new QLabel("이체일자", this), 1, 0);
    header->addWidget(m_date, 1, 1);
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
            showBatch(current());
            updateCommands();
        }
    });
    connect(m_grid, &QTableView::doubleClicked, this, &TfmApt1::GridDblClick);
    reload();
    m_grid->setFocus();
}

TfmApt1::~TfmApt1()
{
    widgets::SaveColumns(m_grid->horizontalHeader(), "Apt1");
}

void TfmApt1::buildCommands()
{
    m_commands = new widgets::ScreenCommands(this);
    CompactToolBar(m_commands->toolBar());

    auto* copyMenu = new QMenu(this);
    m_copyAll = copyMenu->addAction("전 체 자 료");
    m_copyAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    m_copyFailed = copyMenu->addAction("불 능 자 료");
    m_copyFailed->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    connect(m_copyAll, &QAction::triggered, this, [this] { BtnCopyClick(false); });
    connect(m_copyFailed, &QAction::triggered, this, [this] { BtnCopyClick(true); });

    auto* sortMenu = new QMenu(this);
    m_sortGroup =
        AddChoices(sortMenu, sortChoices(), int(m_order), [this](int o) { SortBy(BatchOrder(o)); });

    m_groupMenu = new QMenu(this);
    buildGroupMenu();

    m_extras[Copy] =
        m_commands->addCommand("복 사", {}, QStyle::SP_FileDialogNewFolder, C::Save, copyMenu);
    m_extras[Lines] = m_commands->addCommand("이체자료", QKeySequence(Qt::CTRL | Qt::Key_Return),
                                             QStyle::SP_FileDialogContentsView, C::Save);
    m_extras[Find] = m_commands->addCommand("검 색", QKeySequence(Qt::CTRL | Qt::Key_F),
                                            QStyle::SP_FileDialogInfoView, C::Save);
    m_extras[Sort] = m_commands->addCommand("정 렬", {}, QStyle::SP_ArrowDown, C::Save, sortMenu);
    m_extras[Result] =
        m_commands->addCommand("결과보기", {}, QStyle::SP_FileDialogListView, C::Save);
    m_extras[Print] = m_commands->addCommand("출 력", QKeySequence(Qt::CTRL | Qt::Key_P),
                                             QStyle::SP_ComputerIcon, C::Save);
    m_extras[Group] = m_commands->addCommand("그 룹", QKeySequence(Qt::CTRL | Qt::Key_G),
                                             QStyle::SP_DirIcon, C::Save, m_groupMenu);
    m_extras[ListPrint] = new QAction("목록 출력", this);
    m_commands->addContextAction(m_extras[ListPrint]);
    m_commands->attachContextMenu(m_grid);

    m_extras[Lines]->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    m_extras[Copy]->setToolTip("복 사 (전 체 자 료 Ctrl+T, 불 능 자 료 Ctrl+Y)");
    connect(m_extras[Print], &QAction::triggered, this, [this] {
        if (const TransferBatch* b = current())
            reports::PrintLines(m_ui, m_dm, b->AptID, transfer::LineOrder::None, this);
    });
    connect(m_extras[ListPrint], &QAction::triggered, this,
            [this] { reports::PrintBatchList(m_ui, m_dm, this); });
    connect(m_extras[Lines], &QAction::triggered, this, &TfmApt1::BtnLinesClick);
    connect(m_extras[Find], &QAction::triggered, this, &TfmApt1::BtnFindClick);
    connect(m_extras[Result], &QAction::triggered, this, &TfmApt1::BtnResultClick);
    // The key opens the list; a click on the button drops it down itself.
    connect(m_extras[Group], &QAction::triggered, this,
            [this] { PopupBelow(m_commands->toolBar(), m_extras[Group], m_groupMenu); });

    m_commands->setHandlers({[this] { BtnInsertClick(); }, [this] { BtnEditClick(); },
                             [this] { BtnDeleteClick(); }, [this] { BtnSaveClick(); },
                             [this] { BtnCancelClick(); }, [this] { BtnCloseClick(); }});
}

void TfmApt1::buildGroupMenu()
{
    m_groupMenu->clear();
    const QList<GroupEntry> groups = m_batches.Groups();
    if (groups.isEmpty()) {
        m_groupMenu->addAction("없 음")->setEnabled(false);
        return;
    }
    for (const GroupEntry& g : groups) {
        const int id = g.AptID;
        connect(m_groupMenu->addAction(g.text()), &QAction::triggered, this,
                [this, id] { GroupCopy(id); });
    }
}

QAction* TfmApt1::sortAction(BatchOrder order) const
{
    return ChoiceFor(m_sortGroup, int(order));
}

const QList<TransferBatch>& TfmApt1::batches() const
{
    return m_model->rows();
}

int TfmApt1::currentRow() const
{
    return CurrentRow(m_grid);
}

const TransferBatch* TfmApt1::current() const
{
    return m_model->rowAt(currentRow());
}

bool TfmApt1::closedDate(const TransferBatch& b) const
{
    return b.editable() && b.IcheDate.isValid() && m_calendar.isHoliday(b.IcheDate);
}

void TfmApt1::reload(int selectAptId)
{
    // The calendar may have changed since the last look (휴일 관리, a new release).
    QSqlDatabase db = m_dm.db();
    m_calendar = calendar::LoadBusinessCalendar(db, m_ui);
    const int keepRow = currentRow();
    const int keepId = current() ? current()->AptID : 0;
    m_model->setRows(m_batches.List(m_order));
    const int want = selectAptId ? selectAptId : keepId;
    int row = -1;
    for (int i = 0; i < batches().size(); ++i)
        if (batches()[i].AptID == want) {
            row = i;
            break;
        }
    if (row < 0 && !batches().isEmpty())
        row = qBound(0, keepRow, int(batches().size()) - 1);
    MoveTo(m_grid, row);
    showBatch(current());
    updateCommands();
}

void TfmApt1::showBatch(const TransferBatch* b)
{
    const TransferBatch empty;
    const TransferBatch& r = b ? *b : empty;
    m_institution->setCurrentIndex(
        b ? m_institution->findData(r.GiganID10.trimmed(), Qt::UserRole, Qt::MatchFixedString)
          : -1);
    m_password->setText(r.Pass);
    m_date->setDate(r.IcheDate.isValid() ? r.IcheDate : m_date->minimumDate());
    m_remark->setText(r.Bigo);
}

void TfmApt1::setEditing(bool on)
{
    m_editing = on;
    m_grid->setEnabled(!on);
    updateCommands();
}

void TfmApt1::updateCommands()
{
    for (QWidget* w : {static_cast<QWidget*>(m_institution), static_cast<QWidget*>(m_password),
                       static_cast<QWidget*>(m_date), static_cast<QWidget*>(m_remark)})
        w->setEnabled(m_editing);
    const bool empty = batches().isEmpty();
    if (m_editing) {
        m_commands->setEditing();
        m_commands->action(C::Close)->setEnabled(false);
        for (QAction* a : m_extras)
            a->setEnabled(a == m_extras[Lines]);
    } else {
        m_commands->setBrowse(empty);
        m_commands->action(C::Edit)->setEnabled(!empty && current() && current()->editable());
        for (Extra e : {Copy, Lines, Find, Sort, Result})
            m_extras[e]->setEnabled(!empty);
        m_extras[Group]->setEnabled(true);
        m_extras[Print]->setEnabled(!empty && current());
        m_extras[ListPrint]->setEnabled(!empty);
    }
    m_copyAll->setEnabled(m_extras[Copy]->isEnabled());
    m_copyFailed->setEnabled(m_extras[Copy]->isEnabled());
    for (QAction* a : m_sortGroup->actions())
        a->setEnabled(m_extras[Sort]->isEnabled());
}

void TfmApt1::setBusy(bool busy)
{
    m_grid->setEnabled(!busy);
    m_commands->toolBar()->setEnabled(!busy);
}

void TfmApt1::BtnInsertClick()
{
    if (m_editing || !m_commands->action(C::Insert)->isEnabled())
        return;
    const std::optional<TransferBatch> row = m_batches.NewBatch();
    if (!row)
        return;
    m_row = *row;
    m_isNew = true;
    m_grid->clearSelection();
    setEditing(true);
    showBatch(&m_row);
    m_institution->setFocus();
}

void TfmApt1::BtnEditClick()
{
    if (m_editing || !m_commands->action(C::Edit)->isEnabled() || !current() ||
        !current()->editable())
        return;
    m_row = *current();
    m_isNew = false;
    setEditing(true);
    m_institution->setFocus();
}

void TfmApt1::BtnSaveClick()
{
    if (!m_editing)
        return;
    m_row.GiganID10 = m_institution->currentData().toString();
    m_row.Pass = m_password->text();
    m_row.IcheDate = m_date->date();
    m_row.Bigo = m_remark->text();
    const BatchSave r = m_batches.Save(m_row, m_isNew);
    if (!r.saved) {
        m_saveFailed = true;
        switch (r.focus) {
        case BatchField::Password:
            m_password->setFocus();
            break;
        case BatchField::IcheDate:
            m_date->setFocus();
            break;
        default:
            m_institution->setFocus();
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

void TfmApt1::BtnCancelClick()
{
    if (!m_editing)
        return;
    m_isNew = false;
    m_saveFailed = false;
    setEditing(false);
    showBatch(current());
    m_grid->setFocus();
}

void TfmApt1::BtnDeleteClick()
{
    if (m_editing || !m_commands->action(C::Delete)->isEnabled())
        return;
    // What the question counts is what goes: the selected batches, or the
    // current one when none is selected.
    QList<int> ids;
    for (int row : SelectedOrCurrent(m_grid))
        ids.append(batches()[row].AptID);
    if (!m_batches.Delete(ids, Caption()))
        return;
    m_grid->clearSelection();
    reload();
}

void TfmApt1::BtnCopyClick(bool failedOnly)
{
    if (m_editing || !m_extras[Copy]->isEnabled() || !current())
        return;
    setBusy(true);
    const std::optional<int> id = m_batches.Copy(current()->AptID, failedOnly);
    setBusy(false);
    m_grid->clearSelection();
    reload(id.value_or(0));
}

void TfmApt1::BtnLinesClick()
{
    if (!m_extras[Lines]->isEnabled())
        return;
    if (m_editing) {
        BtnSaveClick();
        if (m_saveFailed || m_editing)
            return;
    }
    const TransferBatch* b = current();
    if (!b)
        return;
    if (b->GiganID10.trimmed().isEmpty()) {
        m_institution->setFocus();
        return;
    }
    const int aptId = b->AptID;
    {
        TfmApt2 lines(m_dm, m_ui, aptId, this);
        lines.exec();
        m_lineOrder = lines.order();
    }
    reload(aptId);
}

void TfmApt1::BtnResultClick()
{
    if (m_editing || !m_extras[Result]->isEnabled() || !current())
        return;
    TfmTong3 dialog(*current(), this);
    dialog.exec();
}

void TfmApt1::BtnFindClick()
{
    if (m_editing || !m_extras[Find]->isEnabled())
        return;
    m_commands->toolBar()->setEnabled(false);
    {
        TfmFindTon1 dialog(
            m_ui, m_institutions, batches(), [this] { return currentRow(); },
            [this](int row) { MoveTo(m_grid, row); }, this);
        dialog.exec();
    }
    m_commands->toolBar()->setEnabled(true);
    // Only the batch found stays selected.
    MoveTo(m_grid, currentRow());
}

void TfmApt1::SortBy(BatchOrder order)
{
    if (m_editing)
        return;
    m_order = order;
    if (QAction* a = sortAction(order))
        a->setChecked(true);
    reload();
}

void TfmApt1::GroupCopy(int groupId)
{
    CancelEdits();
    m_grid->clearSelection();
    setBusy(true);
    const std::optional<int> id = m_batches.CopyGroup(groupId);
    setBusy(false);
    m_grid->clearSelection();
    reload(id.value_or(0));
}

void TfmApt1::GridDblClick()
{
    const TransferBatch* b = current();
    if (m_editing || !b)
        return;
    const int aptId = b->AptID;
    if (m_batches.ToggleState(aptId))
        reload(aptId);
}

void TfmApt1::BtnCloseClick()
{
    // Inside the main window the frame asks CloseQuery, as 닫 기 does.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

bool TfmApt1::CloseQuery()
{
    CancelEdits();
    return true;
}

void TfmApt1::CancelEdits()
{
    BtnCancelClick();
}

} // namespace transfer
