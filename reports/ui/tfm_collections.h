#pragma once

#include "reports/collections.h"

#include <QDialog>
#include <QSqlDatabase>

class QChartView;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;

namespace shell {
class Ui;
struct Workspace;
} // namespace shell

namespace reports {

// "수납 현황": the month's figures per institution with the branch total,
// the failed lines by result code of the chosen row's institution (of every
// institution on the total's row), the kept answers that disagree with the
// lines, and the twelve months' chart; print and export to a workbook.
class TfmCollections : public QDialog
{
    Q_OBJECT
public:
    TfmCollections(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                   QWidget* parent = nullptr);

    // Reads the chosen month and shows it; false after saying why it could
    // not be read (the lists are then empty and say so).
    bool FormActivate();
    void BtnPrintClick();
    void BtnExportClick();

    QDateEdit* monthEdit() const { return m_month; }
    QTableWidget* grid() const { return m_grid; }
    QTableWidget* codeGrid() const { return m_codes; }
    QLabel* warningLine() const { return m_warnings; }
    QChartView* rateChart() const { return m_rateChart; }
    QChartView* failureChart() const { return m_failureChart; }
    const CollectionReport& report() const { return m_report; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void activate() { FormActivate(); }
    void showCodes(int row);
    void showCharts();

    QSqlDatabase m_db;
    shell::Ui& m_ui;
    const shell::Workspace& m_ws;
    CollectionReport m_report;
    QDateEdit* m_month;
    QTableWidget* m_grid;
    QTableWidget* m_codes;
    QLabel* m_codesTitle;
    QLabel* m_warnings;
    QChartView* m_rateChart;
    QChartView* m_failureChart;
    QPushButton* m_print;
    QPushButton* m_export;
    bool m_shown = false;
};

} // namespace reports
