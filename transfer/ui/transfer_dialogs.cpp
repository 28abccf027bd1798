#include "transfer/ui/transfer_dialogs.h"

#include "shell/ui.h"
#include "transfer/ui/row_table_model.h"
#include "transfer/ui/screen_helpers.h"
#include "widgets/ok_cancel_row.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace transfer {
namespace {

QLabel* valueLabel(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setFrameShape(QFrame::StyledPanel);
    l->setMinimumWidth(110);
    return l;
}

// A text that, with its blanks removed, is "--" was left empty.
bool emptyDate(const QString& text)
{
    QString t = text;
    t.remove(' ');
    return t == "--" || t.isEmpty();
}

} // namespace

TfmTong3::TfmTong3(const TransferBatch& b, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("결과보기");
    setObjectName("TfmTong3");
    const struct
    {
        const char* name;
        qint64 count;
        qint64 amount;
    } rows[] = {{"전  체", b.E1.totNo, b.E1.totMon},
                {"중앙회", b.E1.junNo, b.E1.junMon},
                {"회원조합", b.E1.joNo, b.E1.joMon},
                {"타  행", b.E1.sucNo, b.E1.sucMon},
                {"이체불능", b.E1ErrNo(), b.E1ErrMon()}};
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("건  수", this), 0, 1, Qt::AlignCenter);
    grid->addWidget(new QLabel("금  액", this), 0, 2, Qt::AlignCenter);
    int r = 1;
    for (const auto& row : rows) {
        grid->addWidget(new QLabel(QString::fromUtf8(row.name), this), r, 0);
        m_counts.append(valueLabel(FormatAmount(row.count), this));
        m_amounts.append(valueLabel(FormatAmount(row.amount), this));
        grid->addWidget(m_counts.last(), r, 1);
        grid->addWidget(m_amounts.last(), r, 2);
        ++r;
    }
    auto* ok = new QPushButton(" 확 인", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addWidget(ok, 0, Qt::AlignCenter);
}

QString TfmTong3::countText(int row) const
{
    return m_counts.value(row) ? m_counts[row]->text() : QString();
}

QString TfmTong3::amountText(int row) const
{
    return m_amounts.value(row) ? m_amounts[row]->text() : QString();
}

TfmTongMic2::TfmTongMic2(const QList<TransferItem>& lines, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("이체 불능 자료 내역");
    setObjectName("TfmTongMic2");
    QList<TransferItem> failed;
    for (const TransferItem& l : lines)
        if (store::LineOutcomeFrom(l.IcheYebu) != store::LineOutcome::Transferred)
            failed.append(l);
    m_requested = int(lines.size());
    m_failed = int(failed.size());

    using Model = RowTableModel<TransferItem>;
    auto* model = new Model(
        {{"은 행 명", [](const TransferItem& l) { return l.BankName; }},
         {"계 좌 번 호", [](const TransferItem& l) { return l.BankNo; }},
         {"성  명", [](const TransferItem& l) { return l.Bigo; }},
         {"실명번호", [](const TransferItem& l) { return l.NapbuNo; }},
         {"이체 금액", [](const TransferItem& l) { return FormatAmount(l.IcheMoney); }, true},
         {"이체 불능 사유", [](const TransferItem& l) { return l.ResultName; }}},
        this);
    model->setRows(failed);
    m_grid = MakeGrid(this, model);
    m_grid->setColumnWidth(0, 110);
    m_grid->setColumnWidth(1, 130);

    auto* counts = new QHBoxLayout;
    counts->addWidget(new QLabel("의뢰건수", this));
    counts->addWidget(valueLabel(FormatAmount(m_requested), this));
    counts->addSpacing(20);
    counts->addWidget(new QLabel("불능건수", this));
    counts->addWidget(valueLabel(FormatAmount(m_failed), this));
    counts->addStretch();
    auto* top = new QVBoxLayout(this);
    top->addLayout(counts);
    top->addWidget(m_grid);
    top->addLayout(widgets::MakeOkCancelRow(this).layout);
    resize(720, 420);
}

FindDialog::FindDialog(shell::Ui& ui, std::function<int()> current, std::function<void(int)> moveTo,
                       QWidget* parent)
    : QDialog(parent), m_ui(ui), m_current(std::move(current)), m_moveTo(std::move(moveTo))
{
    setWindowTitle("검색");
}

FindDialog::FindDialog(shell::Ui& ui, QTableView* grid, QWidget* parent)
    : FindDialog(
          ui, [grid] { return CurrentRow(grid); }, [grid](int row) { MoveTo(grid, row); }, parent)
{
}

void FindDialog::finishLayout(QLayout* fields)
{
    auto* first = new QPushButton("처음부터", this);
    auto* next = new QPushButton("계속검색", this);
    auto* close = new QPushButton("닫  기", this);
    first->setObjectName("first");
    next->setObjectName("next");
    first->setDefault(true);
    connect(first, &QPushButton::clicked, this, &FindDialog::BtnFirstClick);
    connect(next, &QPushButton::clicked, this, &FindDialog::BtnNextClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(first);
    buttons->addWidget(next);
    buttons->addWidget(close);
    buttons->addStretch();
    auto* top = new QHBoxLayout(this);
    top->addLayout(fields, 1);
    top->addLayout(buttons);
}

QComboBox* FindDialog::makeInstitutionChoice(const QList<codes::Institution>& institutions)
{
    auto* choice = new QComboBox(this);
    choice->addItem(QString(), QString());
    for (const codes::Institution& i : institutions)
        choice->addItem(i.Name, i.APID10.trimmed());
    return choice;
}

void FindDialog::search(int from, const QString& noneMessage)
{
    if (!conditionsValid())
        return;
    const int found = findFrom(from);
    if (found < 0) {
        m_ui.ShowInfo(noneMessage);
        return;
    }
    m_moveTo(found);
}

void FindDialog::BtnFirstClick()
{
    search(0, QStringLiteral("조건에 해당하는 자료가 없습니다."));
}

void FindDialog::BtnNextClick()
{
    search(m_current() + 1, QStringLiteral("더이상 조건에 해당하는 자료가 없습니다."));
}

TfmFindTon1::TfmFindTon1(shell::Ui& ui, const QList<codes::Institution>& institutions,
                         const QList<TransferBatch>& batches, QTableView* grid, QWidget* parent)
    : FindDialog(ui, grid, parent), m_batches(batches)
{
    setObjectName("TfmFindTon1");
    m_institution = makeInstitutionChoice(institutions);
    m_from = new QLineEdit(this);
    m_to = new QLineEdit(this);
    for (QLineEdit* e : {m_from, m_to})
        e->setInputMask("9999-99-99");
    auto* form = new QFormLayout;
    form->addRow("기 관 명", m_institution);
    auto* dates = new QHBoxLayout;
    dates->addWidget(m_from);
    dates->addWidget(new QLabel("~", this));
    dates->addWidget(m_to);
    form->addRow("이체일자", dates);
    finishLayout(form);
}

bool TfmFindTon1::conditionsValid()
{
    BatchSearch s;
    s.giganId = m_institution->currentData().toString();
    for (auto [edit, date] : {std::pair{m_from, &s.from}, std::pair{m_to, &s.to}}) {
        if (emptyDate(edit->text()))
            continue;
        *date = QDate::fromString(edit->text(), Qt::ISODate);
        if (!date->isValid()) {
            m_ui.ShowInfo(QStringLiteral("검색 조건으로 입력된 일자 데이타가 적합하지 않습니다."));
            edit->setFocus();
            return false;
        }
    }
    m_search = s;
    return true;
}

int TfmFindTon1::findFrom(int from) const
{
    return FindBatch(m_batches, from, m_search);
}

TfmFindGroupTon1::TfmFindGroupTon1(shell::Ui& ui, const QList<codes::Institution>& institutions,
                                   const QList<TransferGroup>& groups, QTableView* grid,
                                   QWidget* parent)
    : FindDialog(ui, grid, parent), m_groups(groups)
{
    setObjectName("TfmFindGroupTon1");
    m_name = new QLineEdit(this);
    m_institution = makeInstitutionChoice(institutions);
    auto* form = new QFormLayout;
    form->addRow("그 룹 명", m_name);
    form->addRow("기 관 명", m_institution);
    finishLayout(form);
}

int TfmFindGroupTon1::findFrom(int from) const
{
    return FindGroup(m_groups, from, {m_name->text(), m_institution->currentData().toString()});
}

TfmFindApt2::TfmFindApt2(shell::Ui& ui, const QList<TransferItem>& lines, QTableView* grid,
                         QWidget* parent)
    : FindDialog(ui, grid, parent), m_lines(lines)
{
    setObjectName("TfmFindApt2");
    m_name = new QLineEdit(this);
    m_napbuNo = new QLineEdit(this);
    m_bankNo = new QLineEdit(this);
    auto* form = new QFormLayout;
    form->addRow("입주자명", m_name);
    form->addRow("실명번호", m_napbuNo);
    form->addRow("계좌번호", m_bankNo);
    finishLayout(form);
}

int TfmFindApt2::findFrom(int from) const
{
    return FindLine(m_lines, from, {m_name->text(), m_napbuNo->text(), m_bankNo->text()});
}

} // namespace transfer
