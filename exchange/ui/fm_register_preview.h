#pragma once

#include "exchange/missing_consents.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace shell {
class Ui;
}

namespace exchange {

// The transfer lines without a registered consent, shown before a send.
// "송신" accepts (the send goes on, also with lines listed), "취소" rejects;
// the export writes the list into `tempDir` (the workspace's Temp/).
class fmRegisterPreview : public QDialog
{
    Q_OBJECT
public:
    fmRegisterPreview(shell::Ui& ui, const MissingConsentList& rows, const QString& tempDir,
                      QWidget* parent = nullptr);

    // Shows the list modally; true when the user chose "송신".
    static bool Confirm(shell::Ui& ui, const MissingConsentList& rows, const QString& tempDir,
                        QWidget* parent);

    QTableWidget* grid() const { return m_grid; }
    QLabel* status() const { return m_status; }
    QPushButton* sendButton() const { return m_send; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* exportButton() const { return m_export; }

    void BtnExportClick();

private:
    shell::Ui& m_ui;
    MissingConsentList m_rows;
    QString m_tempDir;
    QTableWidget* m_grid;
    QLabel* m_status;
    QPushButton* m_export;
    QPushButton* m_send;
    QPushButton* m_cancel;
};

} // namespace exchange
