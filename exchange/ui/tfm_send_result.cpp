#include "exchange/ui/tfm_send_result.h"

#include "shell/ui.h"
#include "widgets/first_show.h"
#include "widgets/list_grid.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace exchange {
namespace {

QLabel* value(QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setFrameShape(QFrame::StyledPanel);
    l->setMinimumWidth(120);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

} // namespace

TfmSendResult::TfmSendResult(QSqlDatabase db, shell::Ui& ui, edi::Link& link,
                             const shell::Workspace& ws, QWidget* parent)
    : QDialog(parent), m_db(std::move(db)), m_ui(ui), m_link(link), m_ws(ws)
{
    setObjectName("TfmSendResult");
    setWindowTitle(QStringLiteral("송신 결과 조회"));

    m_grid = widgets::NewListGrid(ResultHeadings(), this);
    const int widths[] = {80, 100, 140, 140, 60};
    for (int c = 0; c < 5; ++c)
        m_grid->setColumnWidth(c, widths[c]);

    m_counter = new QLabel(this);
    m_message = new QLabel(this);
    m_message->setFrameShape(QFrame::StyledPanel);
    m_message->setMinimumHeight(24);

    auto* detail = new QGroupBox(this);
    m_work = value(detail);
    m_receiverId = value(detail);
    m_receiverName = value(detail);
    m_fetches = value(detail);
    m_size = value(detail);
    m_result = value(detail);
    m_result->setWordWrap(true);
    auto* receiver = new QHBoxLayout;
    receiver->addWidget(m_receiverId);
    receiver->addWidget(m_receiverName, 1);
    auto* form = new QFormLayout(detail);
    form->addRow(QStringLiteral("작업 내역"), m_work);
    form->addRow(QStringLiteral("수 신 자"), receiver);
    form->addRow(QStringLiteral("수신횟수"), m_fetches);
    form->addRow(QStringLiteral("자료크기"), m_size);
    form->addRow(QStringLiteral("처리결과"), m_result);

    m_reReceive = new QPushButton(QStringLiteral(" 재수신"), this);
    auto* close = new QPushButton(QStringLiteral(" 닫 기"), this);
    m_reReceive->setAutoDefault(false);
    close->setAutoDefault(false);

    auto* head = new QHBoxLayout;
    head->addWidget(new QLabel(QStringLiteral("최근 송신 내역 :"), this));
    head->addWidget(m_counter);
    head->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_reReceive);
    buttons->addWidget(close);
    auto* top = new QVBoxLayout(this);
    top->addLayout(head);
    top->addWidget(m_grid, 1);
    top->addWidget(detail);
    top->addWidget(m_message);
    top->addLayout(buttons);
    resize(680, 520);

    connect(m_reReceive, &QPushButton::clicked, this, &TfmSendResult::BtnReReceiveClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row) { showDetail(row); });
    showDetail(-1);
}

void TfmSendResult::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Once: the report's own message box hands the focus back to this window.
    widgets::ActivateOnFirstShow(this, m_shown, &TfmSendResult::FormActivate);
}

void TfmSendResult::FormActivate()
{
    if (m_activated)
        return;
    m_activated = true;
    report();
}

void TfmSendResult::report()
{
    const QString path = ReportPath(m_ws);
    if (!QFileInfo::exists(path)) {
        m_ui.ShowInfo(NoReportMessage());
        return;
    }
    if (!ReadResultReport(path, m_records)) {
        m_ui.ShowError(path);
        return;
    }
    m_grid->setRowCount(0);
    m_grid->setRowCount(int(m_records.size()));
    for (int r = 0; r < m_records.size(); ++r) {
        const QStringList cells = ResultRow(m_records[r]);
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(c == 4 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignCenter);
            m_grid->setItem(r, c, item);
        }
    }
    if (!m_records.isEmpty())
        m_grid->setCurrentCell(0, 0);
    showDetail(m_grid->currentRow());

    const QString stamp = QFileInfo(path).lastModified().toString("yyyy-MM-dd HH:mm:ss");
    m_message->setText(ReportAgeStatus(stamp));
    m_ui.ShowInfo(ReportAgeMessage(stamp));
}

void TfmSendResult::showDetail(int row)
{
    const int n = m_grid->rowCount();
    m_counter->setText(n == 0 ? QStringLiteral("자료 없음")
                              : QString::number(row + 1) + " / " + QString::number(n));
    if (row < 0 || row >= m_records.size()) {
        for (QLabel* l : {m_work, m_receiverId, m_receiverName, m_fetches, m_size, m_result})
            l->clear();
        return;
    }
    const platform::Result<ResultDetail> described = DescribeResult(m_db, m_records[row]);
    if (!described)
        m_ui.ShowError(described.error());
    const ResultDetail d = described ? *described : ResultDetail();
    m_work->setText(d.work);
    m_receiverId->setText(d.receiverId);
    m_receiverName->setText(d.receiverName);
    m_fetches->setText(d.fetches);
    QStringList size;
    if (!d.records.isEmpty())
        size << d.records;
    if (!d.bytes.isEmpty())
        size << d.bytes;
    m_size->setText(size.join("   "));
    m_result->setText(d.result);
}

QStringList TfmSendResult::detailTexts() const
{
    return {m_work->text(),    m_receiverId->text(), m_receiverName->text(),
            m_fetches->text(), m_size->text(),       m_result->text()};
}

void TfmSendResult::BtnReReceiveClick()
{
    if (!edi::LinkResultReceive(m_link).ok) {
        m_ui.ShowInfo(ReReceiveFailedMessage());
        return;
    }
    // The fetched report is what the user asked to see.
    report();
}

} // namespace exchange
