#pragma once

#include "consent/evidence_files.h"

#include <QDialog>
#include <QSqlDatabase>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace shell {
class Ui;
struct Workspace;
}

namespace consent {

// "증빙파일관리": one evidence file attached to each consent.
class fmEvidentialFile : public QDialog
{
    Q_OBJECT
public:
    enum Column {
        ColName,
        ColInstitution,
        ColBank,
        ColBankName,
        ColAccount,
        ColPayer,
        ColJumin,
        ColKind,
        ColFile,
        ColSendDate,
        ColChanged,
        ColSendState,
        ColFileCheck,
        ColumnCount
    };

    fmEvidentialFile(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                     QWidget* parent = nullptr);
    ~fmEvidentialFile() override;

    QTableWidget* grid() const { return m_grid; }
    QComboBox* institutionBox() const { return m_institution; }
    QButtonGroup* filterGroup() const { return m_filter; }
    QComboBox* searchBox() const { return m_search; }
    QLineEdit* searchText() const { return m_text; }
    const QList<EvidenceRow>& rows() const { return m_rows; }

    void BtnQueryClick();
    void BtnSaveClick();
    // The kind drop-down over a row's kind cell.
    void ChooseKind(int row);
    void SetKind(int row, const QString& kindName);
    // The double click in the file column.
    void AttachFile(int row);

private:
    void showRows();

    EvidenceFiles m_files;
    shell::Ui& m_ui;
    const shell::Workspace& m_ws;
    QComboBox* m_institution;
    QLabel* m_code;
    QButtonGroup* m_filter;
    QComboBox* m_search;
    QLineEdit* m_text;
    QTableWidget* m_grid;
    QList<EvidenceRow> m_rows;
};

} // namespace consent
