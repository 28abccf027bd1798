#pragma once

#include "audit/read.h"

#include <QDate>
#include <QDialog>
#include <QSqlDatabase>

#include <vector>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace shell {
class Ui;
struct Workspace;
} // namespace shell

namespace audit {

// "변경 이력 조회": who changed what, when, over a period (this month unless
// told), narrowed by table, institution, user and a search text; print and
// export to a workbook, each itself a download of the record.
class TfmChangeRecord : public QDialog
{
    Q_OBJECT
public:
    // `db` is the program's connection with the record attached.
    TfmChangeRecord(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                    QWidget* parent = nullptr);

    void SetPeriod(const QDate& from, const QDate& to);
    // Reads the record under the chosen filters and shows it; false after
    // saying why it could not be read (the grid is then empty and says so).
    bool FormActivate();
    void BtnPrintClick();
    void BtnExportClick();

    // The filters as the screen's fields hold them.
    Filter filter() const;
    const std::vector<Entry>& entries() const { return m_entries; }

    QDateEdit* fromEdit() const { return m_from; }
    QDateEdit* toEdit() const { return m_to; }
    QComboBox* tableChoice() const { return m_table; }
    QComboBox* institutionChoice() const { return m_institution; }
    QComboBox* userChoice() const { return m_user; }
    QLineEdit* searchEdit() const { return m_search; }
    QTableWidget* grid() const { return m_grid; }
    QLabel* statusLine() const { return m_status; }
    QPushButton* printButton() const { return m_print; }
    QPushButton* exportButton() const { return m_export; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void activate() { FormActivate(); }
    void offerSeen();
    QString periodText() const;

    QSqlDatabase m_db;
    shell::Ui& m_ui;
    const shell::Workspace& m_ws;
    std::vector<Entry> m_entries;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QComboBox* m_table;
    QComboBox* m_institution;
    QComboBox* m_user;
    QLineEdit* m_search;
    QTableWidget* m_grid;
    QLabel* m_status;
    QPushButton* m_print;
    QPushButton* m_export;
    bool m_shown = false;
};

// The rows as the grid, the print and the export show them.
QStringList EntryCells(const Entry& entry);

} // namespace audit
