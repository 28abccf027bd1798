#include "codes/ui/fm_follow_up_rules.h"

#include "shell/ui.h"
#include "widgets/column_memory.h"
#include "widgets/field_widgets.h"
#include "widgets/screen_commands.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace codes {
namespace {

const QStringList kHints = {
    "처리결과 코드 추가[Ctrl-I]",      "조치 수정[Ctrl-E]",
    "조치를 없음으로[Ctrl-D]",         "입력 또는 수정한 내용 저장 [Ctrl-S]",
    "입력 또는 수정한 내용 취소[Esc]", "화면 닫기[Ctrl-F4]",
};

const QList<FollowUpAction> kActions = {FollowUpAction::Represent, FollowUpAction::ReviewConsent,
                                        FollowUpAction::None};

} // namespace

FmFollowUpRules::FmFollowUpRules(QSqlDatabase db, shell::Ui& ui, const QString& title,
                                 bool viewOnly, QWidget* parent)
    : CodeScreen(title, "FmFollowUpRules", viewOnly, kHints, parent), m_store(db, ui, title),
      m_ui(ui)
{
    QTableWidget* grid = makeGrid({"코  드", "내       용", "조  치", "재청구 한도"},
                                  QAbstractItemView::ExtendedSelection);
    grid->setColumnWidth(0, 60);
    grid->setColumnWidth(1, 260);
    grid->setColumnWidth(2, 90);
    widgets::RestoreColumns(grid->horizontalHeader(), "FollowUpRules");

    m_code = new QLineEdit(this);
    m_code->setMaxLength(4);
    m_code->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,4}"), m_code));
    m_text = new QLineEdit(this);
    m_text->setReadOnly(true);
    m_text->setEnabled(false);
    m_action = new QComboBox(this);
    for (FollowUpAction a : kActions)
        m_action->addItem(store::FollowUpActionText(a), store::StoredValue(a));
    m_cap = new QSpinBox(this);
    m_cap->setRange(1, store::kMaxRepresentCap);
    m_cap->setSuffix(QStringLiteral(" 회"));
    connect(m_action, &QComboBox::currentIndexChanged, this, [this] { followAction(); });

    auto* note =
        new QLabel(QStringLiteral("재청구: 원래 자료 1건을 한도 횟수까지 다시 청구합니다.  "
                                  "동의 확인: 출금동의 등록/해지의 \"확인 필요\"에 "
                                  "나타납니다."),
                   this);
    note->setWordWrap(true);
    note->setStyleSheet("color: #555");

    auto* form = new QFormLayout;
    form->addRow("코  드", m_code);
    form->addRow("내  용", m_text);
    form->addRow("조  치", m_action);
    form->addRow("재청구 한도", m_cap);

    auto* top = new QVBoxLayout(this);
    top->addWidget(commands()->toolBar());
    top->addLayout(form);
    top->addWidget(note);
    top->addWidget(grid, 1);
    resize(600, 560);

    wire();
    reload();
}

FmFollowUpRules::~FmFollowUpRules()
{
    widgets::SaveColumns(grid()->horizontalHeader(), "FollowUpRules");
}

void FmFollowUpRules::reload(const QString& selectCode)
{
    platform::Result<QList<FollowUpRule>> rows = m_store.List();
    if (!rows)
        m_ui.ShowError(rows.error());
    m_rows = rows ? *rows : QList<FollowUpRule>{};
    grid()->setRowCount(int(m_rows.size()));
    int select = m_rows.isEmpty() ? -1 : 0;
    for (int i = 0; i < m_rows.size(); ++i) {
        const FollowUpRule& r = m_rows[i];
        const QStringList cells = {r.code, r.text, r.actionText(), r.capText()};
        for (int c = 0; c < cells.size(); ++c)
            grid()->setItem(i, c, new QTableWidgetItem(cells[c]));
        if (r.code == selectCode)
            select = i;
    }
    browseFrom(select);
}

void FmFollowUpRules::showRow(int row)
{
    const FollowUpRule& r = rowOrBlank(m_rows, row);
    m_code->setText(r.code);
    m_text->setText(r.text);
    m_action->setCurrentIndex(int(kActions.indexOf(r.action)));
    m_cap->setValue(r.action == FollowUpAction::Represent ? r.cap : store::kDefaultRepresentCap);
    followAction();
}

void FmFollowUpRules::followAction()
{
    const bool represent =
        m_action->currentData().toInt() == store::StoredValue(FollowUpAction::Represent);
    m_cap->setEnabled(represent && commands()->editing());
}

void FmFollowUpRules::setEditing(bool on)
{
    m_code->setEnabled(on && m_isNew);
    m_action->setEnabled(on);
    setCommandsEditing(on, m_isNew ? static_cast<QWidget*>(m_code) : m_action, m_rows.isEmpty());
    followAction();
}

void FmFollowUpRules::BtnInsertClick()
{
    if (!allowed(widgets::ScreenCommands::Insert))
        return;
    m_isNew = true;
    grid()->clearSelection();
    showRow(-1);
    m_action->setCurrentIndex(0);
    setEditing(true);
}

void FmFollowUpRules::BtnEditClick()
{
    if (!allowed(widgets::ScreenCommands::Edit) || !currentOf(m_rows))
        return;
    m_isNew = false;
    setEditing(true);
}

void FmFollowUpRules::BtnSaveClick()
{
    if (!commands()->editing())
        return;
    FollowUpRule rule;
    rule.code = m_code->text().trimmed();
    rule.action = FollowUpAction(m_action->currentData().toInt());
    rule.cap = m_cap->value();
    if (m_isNew) {
        for (const FollowUpRule& r : m_rows)
            if (r.code == rule.code) {
                m_ui.ShowInfo(QStringLiteral("코드가 중복됩니다."));
                m_code->setFocus();
                return;
            }
    }
    const FollowUpSave saved = m_store.Save(rule);
    if (!saved.saved) {
        widgets::WidgetFor<QWidget>(
            saved.focus, {{FollowUpField::Code, m_code}, {FollowUpField::Cap, m_cap}}, m_action)
            ->setFocus();
        return;
    }
    m_isNew = false;
    reload(rule.code);
}

void FmFollowUpRules::BtnDeleteClick()
{
    if (!allowed(widgets::ScreenCommands::Delete) || !currentOf(m_rows))
        return;
    QStringList selected;
    for (const QModelIndex& ix : grid()->selectionModel()->selectedRows())
        selected.append(m_rows[ix.row()].code);
    if (selected.isEmpty())
        selected.append(currentOf(m_rows)->code);
    const QString keep = currentOf(m_rows)->code;
    if (m_store.Delete(selected))
        reload(keep);
}

} // namespace codes
