#include "transfer/ui/tfm_group_apt1.h"

#include "shell/ui.h"
#include "store/tdm1.h"
#include "transfer/lines.h"
#include "transfer/ui/row_table_model.h"
#include "transfer/ui/screen_helpers.h"
#include "transfer/ui/tfm_apt2.h"
#include "transfer/ui/transfer_dialogs.h"
#include "widgets/field_widgets.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <QToolBar>

namespace transfer {
namespace {

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
    : HeadRowsScreen(dm, ui, "TfmGroupApt1", Caption(), parent), m_groups(dm, ui)
{
    makeRowsGrid({{"그  룹  명", [](const TransferGroup& g) { return g.GroupName; }},
                  codeColumn(),
                  {"기 관 명", [](const TransferGroup& g) { return g.GiganName; }},
                  countColumn(),
                  amountColumn()},
                 {160, 110, 170, 80, 130}, "GroupApt1");

    m_name = makeTextField(20);
    makeInstitutionField();
    makePasswordField();
    m_remark = makeTextField(80);
    build({{"그 룹 명", m_name},
           {"기관업체명", m_institution},
           {"기관비밀번호", m_password},
           {"비    고", m_remark}});
}

void TfmGroupApt1::addExtras()
{
    m_extras[Copy] = m_commands->addCommand("복 사", QKeySequence(Qt::CTRL | Qt::Key_T),
                                            QStyle::SP_FileDialogNewFolder, C::Save);
    m_extras[Lines] = addLinesCommand();
    m_extras[Find] = addFindCommand();
    m_extras[Sort] = addSortCommand(sortChoices());
    m_extraActions = QList<QAction*>(std::begin(m_extras), std::end(m_extras));
    connect(m_extras[Copy], &QAction::triggered, this, &TfmGroupApt1::BtnCopyClick);
}

void TfmGroupApt1::loadRows()
{
    m_model->setRows(m_groups.List(GroupOrder(order())).value_or(QList<TransferGroup>()));
}

void TfmGroupApt1::showRow(const TransferGroup* g)
{
    m_name->setText(g ? g->GroupName : QString());
    showHeadFields(g);
}

void TfmGroupApt1::focusNew()
{
    m_name->setFocus();
    m_name->selectAll();
}

QWidget* TfmGroupApt1::storeEdited()
{
    m_row.GroupName = m_name->text();
    takeHeadFields(m_row);
    const GroupSave r = m_groups.Save(m_row, isNew());
    if (r.saved)
        return nullptr;
    return widgets::WidgetFor<QWidget>(
        r.focus, {{GroupField::Password, m_password}, {GroupField::Institution, m_institution}},
        m_name);
}

bool TfmGroupApt1::deleteHeads(const QList<int>& ids)
{
    return m_groups.Delete(ids, Caption());
}

void TfmGroupApt1::BtnCopyClick()
{
    if (editing() || !current())
        return;
    m_commands->toolBar()->setEnabled(false);
    const std::optional<int> id = m_groups.Copy(current()->AptID);
    m_commands->toolBar()->setEnabled(true);
    showCopy(id);
}

void TfmGroupApt1::openLines(int row)
{
    const TransferGroup group = groups()[row];
    TfmGroupApt2 lines(m_dm, m_ui, group, this);
    lines.exec();
}

void TfmGroupApt1::openFind()
{
    TfmFindGroupTon1 dialog(m_ui, m_institutions, groups(), m_grid, this);
    dialog.exec();
}

} // namespace transfer
