#include "transfer/ui/tfm_apt1.h"

#include "reports/ui/tfm_print_option.h"
#include "shell/ui.h"
#include "store/tdm1.h"
#include "transfer/represent.h"
#include "transfer/ui/row_table_model.h"
#include "transfer/ui/screen_helpers.h"
#include "transfer/ui/tfm_apt2.h"
#include "transfer/ui/transfer_dialogs.h"
#include "widgets/business_days.h"
#include "widgets/field_widgets.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QColor>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QToolBar>

namespace transfer {
namespace {

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
    : HeadRowsScreen(dm, ui, "TfmApt1", Caption(), parent), m_batches(dm, ui)
{
    makeRowsGrid({codeColumn(),
                  countColumn(),
                  amountColumn(),
                  {"이체일자", [](const TransferBatch& b) { return dateText(b.IcheDate); }},
                  {"송신일자", [](const TransferBatch& b) { return dateText(b.SDATE()); }},
                  {"수신일자", [](const TransferBatch& b) { return dateText(b.Rdate); }},
                  {"상태", [](const TransferBatch& b) { return b.STAT(); }}},
                 {120, 80, 130, 100, 100, 100}, "Apt1");
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
    makeInstitutionField();
    makePasswordField();
    m_date = new QDateEdit(this);
    m_date->setDisplayFormat("yyyy-MM-dd");
    m_date->setCalendarPopup(true);
    widgets::MarkNonBusinessDays(m_date->calendarWidget(),
                                 [this](const QDate& d) { return m_calendar.isHoliday(d); });
    m_remark = makeTextField(80);
    build({{"기관업체명", m_institution},
           {"기관비밀번호", m_password},
           {"이체일자", m_date},
           {"비    고", m_remark}});
}

void TfmApt1::addExtras()
{
    auto* copyMenu = new QMenu(this);
    m_copyAll = copyMenu->addAction("전 체 자 료");
    m_copyAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    m_copyFailed = copyMenu->addAction("불 능 자 료");
    m_copyFailed->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    connect(m_copyAll, &QAction::triggered, this, [this] { BtnCopyClick(false); });
    connect(m_copyFailed, &QAction::triggered, this, [this] { BtnCopyClick(true); });
    copyMenu->addSeparator();
    m_represent = copyMenu->addAction("불능자료 재청구");
    m_represent->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    m_represent->setToolTip("처리결과 코드의 불능 처리 규칙에 따라 불능자료를 새 이체자료로 재청구");
    connect(m_represent, &QAction::triggered, this, &TfmApt1::BtnRepresentClick);

    m_groupMenu = new QMenu(this);
    buildGroupMenu();

    m_extras[Copy] =
        m_commands->addCommand("복 사", {}, QStyle::SP_FileDialogNewFolder, C::Save, copyMenu);
    m_extras[Lines] = addLinesCommand();
    m_extras[Find] = addFindCommand();
    m_extras[Sort] = addSortCommand(sortChoices());
    m_extras[Result] =
        m_commands->addCommand("결과보기", {}, QStyle::SP_FileDialogListView, C::Save);
    m_extras[Print] = m_commands->addCommand("출 력", QKeySequence(Qt::CTRL | Qt::Key_P),
                                             QStyle::SP_ComputerIcon, C::Save);
    m_extras[Group] = m_commands->addCommand("그 룹", QKeySequence(Qt::CTRL | Qt::Key_G),
                                             QStyle::SP_DirIcon, C::Save, m_groupMenu);
    m_extras[ListPrint] = new QAction("목록 출력", this);
    m_commands->addContextAction(m_extras[ListPrint]);
    m_commands->addContextAction(m_represent);
    m_extraActions = QList<QAction*>(std::begin(m_extras), std::end(m_extras));

    m_extras[Copy]->setToolTip("복 사 (전 체 자 료 Ctrl+T, 불 능 자 료 Ctrl+Y)");
    connect(m_extras[Print], &QAction::triggered, this, [this] {
        if (const TransferBatch* b = current())
            reports::PrintLines(m_ui, m_dm, b->AptID, transfer::LineOrder::None, this);
    });
    connect(m_extras[ListPrint], &QAction::triggered, this,
            [this] { reports::PrintBatchList(m_ui, m_dm, this); });
    connect(m_extras[Result], &QAction::triggered, this, &TfmApt1::BtnResultClick);
    // The key opens the list; a click on the button drops it down itself.
    connect(m_extras[Group], &QAction::triggered, this,
            [this] { PopupBelow(m_commands->toolBar(), m_extras[Group], m_groupMenu); });
}

void TfmApt1::buildGroupMenu()
{
    m_groupMenu->clear();
    // Groups that do not read leave the menu without them, under the message.
    const QList<GroupEntry> groups = m_batches.Groups().value_or(QList<GroupEntry>());
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

bool TfmApt1::closedDate(const TransferBatch& b) const
{
    return b.editable() && b.IcheDate.isValid() && m_calendar.isHoliday(b.IcheDate);
}

void TfmApt1::beforeReload()
{
    // The calendar may have changed since the last look (휴일 관리, a new release).
    QSqlDatabase db = m_dm.db();
    // One that does not read keeps the last one (the message has been shown).
    if (std::optional<calendar::BusinessCalendar> loaded = calendar::LoadBusinessCalendar(db, m_ui))
        m_calendar = std::move(*loaded);
}

void TfmApt1::loadRows()
{
    m_model->setRows(m_batches.List(BatchOrder(order())).value_or(QList<TransferBatch>()));
}

void TfmApt1::showRow(const TransferBatch* b)
{
    showHeadFields(b);
    m_date->setDate(b && b->IcheDate.isValid() ? b->IcheDate : m_date->minimumDate());
}

void TfmApt1::enableExtras(bool empty)
{
    for (Extra e : {Copy, Lines, Find, Sort, Result})
        m_extras[e]->setEnabled(!empty);
    m_extras[Group]->setEnabled(true);
    m_extras[Print]->setEnabled(!empty && current());
    m_extras[ListPrint]->setEnabled(!empty);
}

void TfmApt1::commandsUpdated()
{
    m_copyAll->setEnabled(m_extras[Copy]->isEnabled());
    m_copyFailed->setEnabled(m_extras[Copy]->isEnabled());
    m_represent->setEnabled(m_extras[Copy]->isEnabled() && current() &&
                            current()->State == BatchState::Received);
}

void TfmApt1::setBusy(bool busy)
{
    m_grid->setEnabled(!busy);
    m_commands->toolBar()->setEnabled(!busy);
}

QWidget* TfmApt1::storeEdited()
{
    takeHeadFields(m_row);
    m_row.IcheDate = m_date->date();
    const BatchSave r = m_batches.Save(m_row, isNew());
    if (r.saved)
        return nullptr;
    return widgets::WidgetFor<QWidget>(
        r.focus, {{BatchField::Password, m_password}, {BatchField::IcheDate, m_date}},
        m_institution);
}

bool TfmApt1::deleteHeads(const QList<int>& ids)
{
    return m_batches.Delete(ids, Caption());
}

void TfmApt1::BtnCopyClick(bool failedOnly)
{
    if (editing() || !m_extras[Copy]->isEnabled() || !current())
        return;
    setBusy(true);
    const std::optional<int> id = m_batches.Copy(current()->AptID, failedOnly);
    setBusy(false);
    showCopy(id);
}

void TfmApt1::BtnRepresentClick()
{
    if (editing() || !m_represent->isEnabled() || !current())
        return;
    setBusy(true);
    const RepresentRun run = RepresentFailedLines(m_dm, m_ui, current()->AptID, {}, true);
    setBusy(false);
    if (run.outcome == RepresentOutcome::Made)
        showCopy(run.aptId);
}

void TfmApt1::openLines(int row)
{
    TfmApt2 lines(m_dm, m_ui, batches()[row].AptID, this);
    lines.exec();
    m_lineOrder = lines.order();
}

void TfmApt1::BtnResultClick()
{
    if (editing() || !m_extras[Result]->isEnabled() || !current())
        return;
    TfmTong3 dialog(*current(), this);
    dialog.exec();
}

void TfmApt1::openFind()
{
    m_commands->toolBar()->setEnabled(false);
    {
        TfmFindTon1 dialog(m_ui, m_institutions, batches(), m_grid, this);
        dialog.exec();
    }
    m_commands->toolBar()->setEnabled(true);
    // Only the batch found stays selected.
    MoveTo(m_grid, currentRow());
}

void TfmApt1::GroupCopy(int groupId)
{
    CancelEdits();
    m_grid->clearSelection();
    setBusy(true);
    const std::optional<int> id = m_batches.CopyGroup(groupId);
    setBusy(false);
    showCopy(id);
}

} // namespace transfer
