#pragma once

#include "consent/consent_register.h"
#include "shell/import_helpers.h"
#include "transfer/ui/tfm_catc_apt.h"
#include "widgets/sort_choices.h"

#include <QDialog>
#include <QSqlDatabase>
#include <memory>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace shell {
class Ui;
struct Workspace;
}
namespace widgets {
class ScreenCommands;
}

namespace consent {

// "출금동의 등록/해지": consents entered, marked for registration or
// cancellation, and the way to their evidence.
class TfmTongRegister : public QDialog
{
    Q_OBJECT
public:
    TfmTongRegister(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                    QWidget* parent = nullptr);
    ~TfmTongRegister() override;

    // Widgets the tests drive.
    widgets::ScreenCommands* commands() const { return m_commands; }
    QTableWidget* grid() const { return m_grid; }
    QAction* continuousAction() const { return m_continuous; }
    QAction* importAction() const { return m_import; }
    QAction* exportAction() const { return m_export; }
    QAction* searchAction() const { return m_search; }
    QAction* sortAction(int i) const { return m_sorting.choice(i); }
    QLabel* selectionLabel() const { return m_selectionLabel; }
    QCheckBox* allCheck() const { return m_all; }
    QRadioButton* statusRadio(int i) const { return m_status[i]; }
    // "확인 필요": the consents whose latest answered line failed with a
    // 동의 확인 code; their 오류코드 column shows that line's code and date.
    QRadioButton* reviewRadio() const { return m_reviewRadio; }
    QLineEdit* bankCodeEdit() const { return m_bankCode; }
    QLineEdit* accountEdit() const { return m_account; }
    QLineEdit* nameEdit() const { return m_name; }
    QComboBox* institutionBox() const { return m_institution; }
    QLineEdit* juminEdit() const { return m_jumin; }
    QLineEdit* payerEdit() const { return m_payer; }
    const QList<ConsentRecord>& rows() const { return m_rows; }

    void BtnInsertClick();
    void BtnSaveClick();
    void BtnCancelClick();
    void BtnDeleteClick();
    void BtnRegisterClick();
    void BtnCancelRequestClick();
    void BtnSelectAllClick();
    void BtnJuminClick();
    void BtnEvidenceFilesClick();
    void BtnEvidenceSendClick();
    void ExportClick();
    void FilterStatus(std::optional<ConsentStatus> status); // nullopt: all
    void FilterReview();
    // 자료변환 ▸ 데이타 읽기: the layout screen, the spreadsheet preview, then
    // the import of the applied rows.
    void ImportClick();
    // 검 색: the search dialog over the rows shown.
    void BtnFindClick();

protected:
    void reject() override;

private:
    ConsentOrder order() const { return ConsentOrder(m_sorting.order()); }
    transfer::LayoutKind ImportKind(std::shared_ptr<shell::Grid> applied);
    void buildEntryPanel(QWidget* panel);
    void reload();
    // The rows of the "확인 필요" list, each with its line's note, from
    // `all`; false after the message when the list cannot be read.
    bool keepToReview(QList<ConsentRecord>& all, QStringList& notes) const;
    void refreshCounts();
    void refreshSelectionLabel();
    void showRow(int row);
    void setEditing(bool on);
    void updateDelete();
    QList<ConsentRecord> selectedRows() const;

    QSqlDatabase m_db;
    shell::Ui& m_ui;
    const shell::Workspace& m_ws;
    ConsentRegister m_register;
    widgets::ScreenCommands* m_commands;
    QAction* m_continuous;
    QAction* m_convert;
    QAction* m_import;
    QAction* m_export;
    QAction* m_search;
    QAction* m_sortMenu;
    QTableWidget* m_grid;
    QLabel* m_selectionLabel;
    QCheckBox* m_all;
    QRadioButton* m_status[store::kConsentStatusCount];
    QButtonGroup* m_statusGroup;
    QLineEdit* m_bankCode;
    QComboBox* m_bankName;
    QLineEdit* m_account;
    QLineEdit* m_name;
    QComboBox* m_institution;
    QLineEdit* m_institutionCode;
    QDateEdit* m_requestDate;
    QLineEdit* m_jumin;
    QLineEdit* m_payer;
    QLineEdit* m_autoDay;
    QLineEdit* m_sendDate;
    QLineEdit* m_statusText;
    QLineEdit* m_resultText;
    QLineEdit* m_receiveDate;
    QList<QPushButton*> m_rowButtons;
    QList<ConsentRecord> m_rows;
    std::optional<ConsentStatus> m_filter;
    QRadioButton* m_reviewRadio;
    bool m_review = false;
    widgets::SortChoices m_sorting;
    bool m_editing = false;
};

} // namespace consent
