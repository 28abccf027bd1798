#include "exchange/ui/fm_register_preview.h"

#include "reports/spreadsheet_writer.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace exchange {

fmRegisterPreview::fmRegisterPreview(shell::Ui& ui, const MissingConsentList& rows,
                                     const QString& tempDir, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_rows(rows), m_tempDir(tempDir)
{
    setObjectName("fmRegisterPreview");
    setWindowTitle(MissingConsentTitle());

    const QStringList headings = MissingConsentHeadings();
    m_grid = new QTableWidget(int(rows.size()), int(headings.size()), this);
    m_grid->setHorizontalHeaderLabels(headings);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    for (int r = 0; r < rows.size(); ++r) {
        const MissingConsent& m = rows[r];
        const QStringList cells{m.giganId, m.bankCode, m.bankNo, m.napbuNo};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignCenter);
            m_grid->setItem(r, c, item);
        }
    }
    m_grid->setColumnWidth(0, 110);
    m_grid->setColumnWidth(1, 70);
    m_grid->setColumnWidth(2, 150);

    m_status = new QLabel(MissingConsentStatus(rows.size()), this);
    m_status->setStyleSheet("font-weight: bold");
    auto* notes = new QLabel(MissingConsentNotes().join('\n'), this);
    notes->setStyleSheet("color: #a00000");

    m_export = new QPushButton(QStringLiteral("엑셀로 저장"), this);
    m_send = new QPushButton(QStringLiteral("송신"), this);
    m_cancel = new QPushButton(QStringLiteral("취소"), this);
    m_cancel->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_export);
    buttons->addStretch(1);
    buttons->addWidget(m_send);
    buttons->addWidget(m_cancel);

    auto* top = new QVBoxLayout(this);
    top->addWidget(m_status);
    top->addWidget(m_grid, 1);
    top->addWidget(notes);
    top->addLayout(buttons);
    resize(520, 520);

    connect(m_export, &QPushButton::clicked, this, &fmRegisterPreview::BtnExportClick);
    connect(m_send, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool fmRegisterPreview::Confirm(shell::Ui& ui, const MissingConsentList& rows,
                                const QString& tempDir, QWidget* parent)
{
    fmRegisterPreview preview(ui, rows, tempDir, parent);
    return preview.exec() == QDialog::Accepted;
}

void fmRegisterPreview::BtnExportClick()
{
    reports::SheetRows rows;
    for (const MissingConsent& m : m_rows)
        rows.append({m.giganId, m.bankCode, m.bankNo, m.napbuNo});
    reports::ExportToSpreadsheet(m_ui, reports::ExportKind::MissingConsents, rows, m_tempDir);
}

} // namespace exchange
