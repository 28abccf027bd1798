#pragma once

#include "shell/import_helpers.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace shell {
class Ui;
}

namespace transfer {

// "미리보기": the rows a file gives, the errors that block the import (적용
// disabled) and the account numbers to look at again. The line import fills
// it from a fixed-column file, the consent import from a spreadsheet.
class TfmCatcPreview : public QDialog
{
    Q_OBJECT
public:
    TfmCatcPreview(shell::Ui& ui, const QStringList& headings, QWidget* parent = nullptr);

    // Shows checked rows (titles first).
    void ShowPreview(const shell::ImportPreview& preview);
    // Reads a spreadsheet into the grid, checks its rows with `check` and
    // shows the result; false when the file could not be read.
    bool LoadSpreadsheet(const QString& fileName,
                         const std::function<shell::ImportPreview(const shell::Grid&)>& check);

    // The rows as shown, titles first.
    const shell::Grid& rows() const { return m_preview.rows; }
    const shell::ImportPreview& preview() const { return m_preview; }
    QTableWidget* grid() const { return m_grid; }
    QPushButton* applyButton() const { return m_apply; }
    QLabel* statusLine() const { return m_status; }
    QPlainTextEdit* errorList() const { return m_errors; }
    QPlainTextEdit* accountList() const { return m_accounts; }

    // 파일로 저장: the list into a text file of the user's choice, opened in
    // the text editor afterwards.
    bool SaveList(const QPlainTextEdit* list);

private:
    shell::Ui& m_ui;
    shell::ImportPreview m_preview;
    QTableWidget* m_grid;
    QLabel* m_status;
    QPlainTextEdit* m_errors;
    QPlainTextEdit* m_accounts;
    QPushButton* m_apply;
};

} // namespace transfer
