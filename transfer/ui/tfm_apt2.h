#pragma once

#include "codes/bank_code.h"
#include "transfer/batches.h"
#include "transfer/groups.h"
#include "transfer/lines.h"
#include "transfer/ui/screen_helpers.h"
#include "widgets/sort_choices.h"

#include <QDialog>

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace widgets {
class ScreenCommands;
}

namespace transfer {

template <typename Row> class RowTableModel;

// The lines of one batch ("Veltrin-" + institution + " 이체자료"), opened
// modally from the batch screen. Closing recomputes the batch totals.
class TfmApt2 : public QDialog
{
    Q_OBJECT
public:
    enum Extra {
        Continuous,
        Copy,
        Convert,
        Find,
        Failed,
        Sort,
        SelectAll,
        BadAccount,
        SetAmount,
        ExtraCount
    };

    TfmApt2(store::TDM1& dm, shell::Ui& ui, int aptId, QWidget* parent = nullptr);
    ~TfmApt2() override;

    // True for the lines of a saved group (TfmGroupApt2).
    bool isGroup() const { return m_group; }

    static QString CaptionFor(const QString& institutionName);

    widgets::ScreenCommands* commands() const { return m_commands; }
    QAction* extra(Extra e) const { return m_extras[e]; }
    QAction* importAction() const { return m_import; }
    QAction* exportAction() const { return m_export; }
    QAction* sortAction(LineOrder order) const;
    QTableView* grid() const { return m_grid; }
    QLineEdit* field(LineField f) const;
    QComboBox* bankList() const { return m_bankList; }
    QCheckBox* consentCheck() const { return m_consent; }
    QLabel* statusLine() const { return m_status; }
    QLabel* outcome() const { return m_yebuName; }
    QLabel* result() const { return m_resultName; }
    const QList<TransferItem>& lines() const;
    const TransferBatch& batch() const { return m_batch; }
    bool editing() const { return m_editing; }
    LineOrder order() const { return LineOrder(m_sorting.order()); }

    void BtnInsertClick();
    void BtnEditClick();
    void BtnDeleteClick();
    void BtnSaveClick();
    void BtnCancelClick();
    void BtnCopyClick();
    void BtnFindClick();
    void BtnFailedClick();
    void SortBy(LineOrder order);
    void SelectAllClick();
    void BadAccountClick();
    void SetAmountClick();
    void ConsentClick(bool checked);
    // 자료변환 ▸ 데이타 읽기(*.prn): the layout editor, its preview, then the
    // import of the chosen file into this batch.
    void ImportClick();
    // "엑셀로 내보내기": the lines as the grid holds them.
    void BtnExportClick();
    void BtnCloseClick();

protected:
    // The lines of a saved group: no consent check, no failed lines, no
    // export; the real-name number is entered; 자료변환 imports at once.
    TfmApt2(store::TDM1& dm, shell::Ui& ui, const TransferGroup& group, QWidget* parent);

    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TfmApt2(store::TDM1& dm, shell::Ui& ui, int aptId, const TransferGroup* group,
            QWidget* parent);
    void buildCommands();
    void reload(int selectApt2Id = 0);
    void showLine(const TransferItem* l);
    void setEditing(bool on);
    void updateCommands();
    void checkWholeBatch();
    void showConsentWarning();
    const TransferItem* current() const;
    int currentRow() const;
    QList<int> chosenIds() const;

    store::TDM1& m_dm;
    shell::Ui& m_ui;
    TransferLines m_lines;
    TransferBatch m_batch;
    QList<codes::BankCodeEntry> m_banks;
    widgets::ScreenCommands* m_commands;
    QAction* m_extras[ExtraCount] = {};
    QAction* m_import = nullptr;
    QAction* m_export = nullptr;
    widgets::SortChoices m_sorting;
    QTableView* m_grid;
    RowTableModel<TransferItem>* m_model;
    QLineEdit* m_dong;
    QLineEdit* m_ho;
    QLineEdit* m_napbuNo;
    QLineEdit* m_cNapbuNo;
    QLineEdit* m_bigo;
    QComboBox* m_bankList;
    QLineEdit* m_bankCode;
    QLineEdit* m_bankNo;
    QLineEdit* m_money;
    QLineEdit* m_kita;
    QLabel* m_yebuName;
    QLabel* m_resultName;
    QCheckBox* m_consent;
    QLabel* m_status;

    TransferItem m_row; // the line being entered or edited
    bool m_editing = false;
    bool m_isNew = false;
    bool m_consentOn = false;
    bool m_closed = false;
    bool m_group = false;
};

// "Veltrin그룹관리-" + group name + " 이체자료": the lines of a saved group,
// opened modally from the group screen. Closing recomputes the group's
// count and sum.
class TfmGroupApt2 : public TfmApt2
{
    Q_OBJECT
public:
    TfmGroupApt2(store::TDM1& dm, shell::Ui& ui, const TransferGroup& group,
                 QWidget* parent = nullptr);
    static QString CaptionFor(const QString& groupName);
};

} // namespace transfer
