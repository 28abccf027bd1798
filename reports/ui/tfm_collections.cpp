#include "reports/ui/tfm_collections.h"

#include "reports/chart/collection_chart.h"
#include "reports/print/print_layouts.h"
#include "reports/spreadsheet_writer.h"
#include "reports/ui/tfm_print_option.h"
#include "shell/clock.h"
#include "shell/kept_files.h"
#include "shell/ui.h"
#include "shell/workspace.h"
#include "widgets/first_show.h"
#include "widgets/list_grid.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMap>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QVBoxLayout>

namespace reports {
namespace {

QTableWidgetItem* cell(const QString& text, bool number, bool strong = false)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    if (strong) {
        QFont f = item->font();
        f.setBold(true);
        item->setFont(f);
    }
    return item;
}

QStringList gridHeadings()
{
    QStringList h = CollectionHeadings();
    h.removeAt(2); // the month is the chooser's
    h.append(QStringLiteral("수납률"));
    return h;
}

} // namespace

TfmCollections::TfmCollections(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                               QWidget* parent)
    : QDialog(parent), m_db(std::move(db)), m_ui(ui), m_ws(ws)
{
    setObjectName("TfmCollections");
    setWindowTitle(QStringLiteral("수납 현황"));

    m_month = new QDateEdit(shell::Today(), this);
    m_month->setDisplayFormat("yyyy-MM");
    m_month->setCalendarPopup(false);
    auto* read = new QPushButton(QStringLiteral(" 조 회"), this);
    m_print = new QPushButton(QStringLiteral(" 인 쇄"), this);
    m_export = new QPushButton(QStringLiteral(" 엑 셀"), this);
    auto* close = new QPushButton(QStringLiteral(" 닫 기"), this);
    for (QPushButton* b : {read, m_print, m_export, close})
        b->setAutoDefault(false);

    m_grid = widgets::NewListGrid(gridHeadings(), this);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    m_codesTitle = new QLabel(this);
    m_codes = widgets::NewListGrid({"결과코드", "불능 사유", "건수", "금액"}, this);
    m_codes->setColumnWidth(0, 56);
    m_codes->setColumnWidth(1, 120);
    m_codes->setMinimumWidth(360);
    m_codes->setColumnWidth(2, 50);
    m_warnings = new QLabel(this);
    m_warnings->setObjectName("warnings");
    m_warnings->setStyleSheet("color: red");
    m_warnings->setWordWrap(true);
    m_warnings->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_warnings->hide();
    m_rateChart = new QChartView(this);
    m_failureChart = new QChartView(this);
    for (QChartView* v : {m_rateChart, m_failureChart}) {
        v->setRenderHint(QPainter::Antialiasing);
        v->setMinimumSize(380, 320);
    }

    auto* head = new QHBoxLayout;
    head->addWidget(new QLabel(QStringLiteral("이체월 :"), this));
    head->addWidget(m_month);
    head->addWidget(read);
    head->addStretch(1);
    head->addWidget(m_print);
    head->addWidget(m_export);
    head->addWidget(close);
    auto* codes = new QVBoxLayout;
    codes->addWidget(m_codesTitle);
    codes->addWidget(m_codes, 1);
    auto* lower = new QHBoxLayout;
    lower->addLayout(codes, 2);
    lower->addWidget(m_rateChart, 3);
    lower->addWidget(m_failureChart, 3);
    auto* top = new QVBoxLayout(this);
    top->addLayout(head);
    top->addWidget(m_grid, 2);
    top->addWidget(m_warnings);
    top->addLayout(lower, 3);
    resize(1180, 760);

    connect(read, &QPushButton::clicked, this, [this] { FormActivate(); });
    connect(m_print, &QPushButton::clicked, this, &TfmCollections::BtnPrintClick);
    connect(m_export, &QPushButton::clicked, this, &TfmCollections::BtnExportClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row) { showCodes(row); });
}

void TfmCollections::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    widgets::ActivateOnFirstShow(this, m_shown, &TfmCollections::activate);
}

bool TfmCollections::FormActivate()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    CollectionQuery query;
    query.month = m_month->date().toString("yyyy-MM");
    query.history = true;
    query.keptReceiveDir = shell::KeptReceiveDir(m_ws);
    const platform::Result<CollectionReport> read = ReadCollections(m_db, query);
    m_grid->setRowCount(0);
    m_codes->setRowCount(0);
    if (!read) {
        m_report = CollectionReport{};
        m_warnings->setText(read.error());
        m_warnings->show();
        m_print->setEnabled(false);
        m_export->setEnabled(false);
        showCharts();
        restore.dismiss();
        QApplication::restoreOverrideCursor();
        m_ui.ShowError(read.error());
        return false;
    }
    m_report = *read;
    m_print->setEnabled(true);
    m_export->setEnabled(true);

    QList<CollectionRow> rows = m_report.rows;
    rows.append(m_report.total);
    m_grid->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const CollectionRow& row = rows[r];
        const bool total = r == rows.size() - 1;
        const CollectionFigures& f = row.figures;
        const QList<qint64> numbers = {f.requestedCount,  f.requestedAmount, f.collectedCount,
                                       f.collectedAmount, f.failedCount,     f.failedAmount,
                                       f.unansweredCount, f.unansweredAmount};
        m_grid->setItem(r, 0, cell(row.institution, false, total));
        m_grid->setItem(r, 1, cell(row.name, false, total));
        for (int c = 0; c < numbers.size(); ++c)
            m_grid->setItem(r, 2 + c, cell(Grouped(numbers[c]), true, total));
        m_grid->setItem(r, 10, cell(QString::number(f.rate(), 'f', 1) + "%", true, total));
    }
    QStringList warnings;
    for (const TrailerWarning& w : m_report.warnings)
        warnings.append(w.message());
    m_warnings->setText(warnings.join('\n'));
    m_warnings->setVisible(!warnings.isEmpty());
    m_grid->setCurrentCell(0, 0);
    showCodes(0);
    showCharts();
    return true;
}

void TfmCollections::showCodes(int row)
{
    m_codes->setRowCount(0);
    if (row < 0 || row > m_report.rows.size())
        return;
    const bool total = row == m_report.rows.size();
    const QString institution = total ? QString() : m_report.rows[row].institution;
    m_codesTitle->setText(
        QStringLiteral("불능 사유별 : ") +
        (total ? QStringLiteral("전체 기관") : institution + " " + m_report.rows[row].name));
    QMap<QString, FailureRow> byCode;
    for (const FailureRow& f : m_report.failures) {
        if (!total && f.institution != institution)
            continue;
        FailureRow& sum = byCode[f.code];
        sum.code = f.code;
        sum.text = f.text;
        sum.count += f.count;
        sum.amount += f.amount;
    }
    m_codes->setRowCount(int(byCode.size()));
    int r = 0;
    for (const FailureRow& f : byCode) {
        m_codes->setItem(r, 0, cell(f.code, false));
        m_codes->setItem(r, 1, cell(f.text, false));
        m_codes->setItem(r, 2, cell(Grouped(f.count), true));
        m_codes->setItem(r, 3, cell(Grouped(f.amount), true));
        ++r;
    }
}

void TfmCollections::showCharts()
{
    // The views own their charts and delete the old ones when given new.
    m_rateChart->setChart(NewRateChart(m_report));
    m_failureChart->setChart(NewFailureChart(m_report));
}

void TfmCollections::BtnPrintClick()
{
    PrintOrPreview(false, this, [this](QPrinter* printer) {
        printer->setDocName(CollectionsDocName());
        PaintCollections(printer, m_report, [this](QPainter& painter, const QRectF& target) {
            PaintCollectionCharts(painter, target, m_report);
        });
    });
}

void TfmCollections::BtnExportClick()
{
    ExportToSpreadsheet(m_ui, ExportKind::Collections, CollectionSheetRows(m_report),
                        m_ws.tempDir());
}

} // namespace reports
