#include "exchange/ui/tfm_edi.h"

#include "exchange/ui/fm_register_preview.h"
#include "shell/workspace.h"
#include "widgets/first_show.h"
#include "widgets/list_grid.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace exchange {

TfmEdi::TfmEdi(store::TDM1& dm, shell::Ui& ui, edi::Link& link, const shell::Workspace& ws,
               int mode, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_tempDir(ws.tempDir())
{
    setObjectName("TfmEdi");
    m_grid = widgets::NewListGrid(ListHeadings(), this);
    m_grid->setColumnWidth(0, 170);
    m_grid->setColumnWidth(1, 100);
    m_grid->setColumnWidth(2, 90);
    m_grid->setColumnWidth(3, 70);

    m_label = new QLabel(this);
    m_counter = new QLabel(this);
    m_message = new QLabel(this);
    m_message->setFrameShape(QFrame::StyledPanel);
    m_message->setMinimumHeight(24);
    m_send = new QPushButton(this);
    m_cancel = new QPushButton(QStringLiteral(" 취 소"), this);
    m_close = new QPushButton(QStringLiteral(" 닫 기"), this);
    for (QPushButton* b : {m_send, m_cancel, m_close}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(90);
    }

    auto* head = new QHBoxLayout;
    head->addWidget(m_label);
    head->addWidget(m_counter);
    head->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_send);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_close);
    auto* top = new QVBoxLayout(this);
    top->addLayout(head);
    top->addWidget(m_grid, 1);
    top->addWidget(m_message);
    top->addLayout(buttons);
    resize(620, 400);

    connect(m_send, &QPushButton::clicked, this, &TfmEdi::BtnSendClick);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this] { updateCounter(); });

    m_flow = std::make_unique<EdiFlow>(dm, ui, static_cast<EdiFlowView&>(*this), mode, link, ws);
    FlowChanged(*m_flow);
}

TfmEdi::~TfmEdi() = default;

void TfmEdi::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Once: a message box or the preview handing the focus back must not
    // empty the send folder and build again.
    widgets::ActivateOnFirstShow(this, m_shown, &TfmEdi::FormActivate);
}

void TfmEdi::FormActivate()
{
    m_flow->Activate();
}

void TfmEdi::BtnSendClick()
{
    m_flow->SendClick();
}

void TfmEdi::reject()
{
    // While the link works only the flow may close the window.
    if (m_close->isVisible() && !m_close->isEnabled())
        return;
    QDialog::reject();
}

bool TfmEdi::ConfirmMissingConsents(const MissingConsentList& rows)
{
    if (m_preview)
        return m_preview(rows);
    return fmRegisterPreview::Confirm(m_ui, rows, m_tempDir, this);
}

void TfmEdi::FlowChanged(const EdiFlow& flow)
{
    setWindowTitle(flow.caption());
    m_label->setText(flow.listLabel());
    m_send->setText(flow.sendCaption());

    const QList<QStringList> rows = flow.rows();
    m_grid->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(ShownCell(rows[r][c]));
            item->setTextAlignment(c >= 3 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignCenter);
            m_grid->setItem(r, c, item);
        }
    }
    if (!rows.isEmpty() && m_grid->currentRow() < 0)
        m_grid->setCurrentCell(0, 0);
    updateCounter();

    m_message->setText(flow.message());
    m_message->setStyleSheet(flow.messageIsError() ? "color: red" : "color: black");

    const EdiButtons& b = flow.buttons();
    m_send->setVisible(b.sendVisible);
    m_send->setEnabled(b.sendEnabled);
    m_cancel->setVisible(b.cancelVisible);
    m_cancel->setEnabled(b.cancelEnabled);
    m_close->setVisible(b.closeVisible);
    m_close->setEnabled(b.closeEnabled);
    if (b.focus == EdiButtons::Send && m_send->isEnabled()) {
        m_send->setDefault(true);
        m_send->setFocus();
    } else if (b.focus == EdiButtons::Close && m_close->isEnabled()) {
        m_close->setDefault(true);
        m_close->setFocus();
    }
    // The link blocks; what the window says must be painted before it does.
    if (isVisible())
        repaint();
}

void TfmEdi::updateCounter()
{
    const int n = m_grid->rowCount();
    if (n == 0) {
        m_counter->setText(QStringLiteral("자료 없음"));
        return;
    }
    m_counter->setText(QString::number(m_grid->currentRow() + 1) + " / " + QString::number(n));
}

} // namespace exchange
