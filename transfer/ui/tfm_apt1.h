#pragma once

#include "calendar/business_calendar.h"
#include "transfer/batches.h"
#include "transfer/lines.h"
#include "widgets/child_screen.h"

#include <QWidget>

class QAction;
class QActionGroup;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QMenu;
class QTableView;

namespace shell {
class Ui;
}
namespace store {
class TDM1;
}
namespace widgets {
class ScreenCommands;
}

namespace transfer {

template <typename Row> class RowTableModel;

// "Veltrin-관리사무소정보": the transfer batches, a child window of the main
// window. The lines of a batch are edited in TfmApt2.
class TfmApt1 : public QWidget, public widgets::ChildScreen
{
    Q_OBJECT
public:
    // The screen's own commands beside the shared six.
    enum Extra { Copy, Lines, Find, Sort, Result, Print, Group, ListPrint, ExtraCount };

    TfmApt1(store::TDM1& dm, shell::Ui& ui, QWidget* parent = nullptr);
    ~TfmApt1() override;

    static QString Caption();

    bool CloseQuery() override;
    void CancelEdits() override;

    widgets::ScreenCommands* commands() const { return m_commands; }
    QAction* extra(Extra e) const { return m_extras[e]; }
    QAction* copyAll() const { return m_copyAll; }
    QAction* copyFailed() const { return m_copyFailed; }
    QAction* sortAction(BatchOrder order) const;
    QMenu* groupMenu() const { return m_groupMenu; }
    QTableView* grid() const { return m_grid; }
    QComboBox* institution() const { return m_institution; }
    QLineEdit* password() const { return m_password; }
    QDateEdit* transferDate() const { return m_date; }
    QLineEdit* remark() const { return m_remark; }
    const QList<TransferBatch>& batches() const;
    bool editing() const { return m_editing; }
    bool saveFailed() const { return m_saveFailed; }
    // A batch not yet sent whose transfer date the branch calendar now
    // marks closed: it stands out in the grid and the send leaves it behind.
    bool closedDate(const TransferBatch& b) const;
    // The order the lines screen last chose; printing follows it.
    LineOrder lineOrder() const { return m_lineOrder; }

    void BtnInsertClick();
    void BtnEditClick();
    void BtnDeleteClick();
    void BtnSaveClick();
    void BtnCancelClick();
    void BtnCopyClick(bool failedOnly);
    void BtnLinesClick();
    void BtnResultClick();
    void BtnFindClick();
    void SortBy(BatchOrder order);
    void GroupCopy(int groupId);
    void GridDblClick();
    void BtnCloseClick();

private:
    void buildCommands();
    void buildGroupMenu();
    void reload(int selectAptId = 0);
    void showBatch(const TransferBatch* b);
    void setEditing(bool on);
    void updateCommands();
    void setBusy(bool busy);
    const TransferBatch* current() const;
    int currentRow() const;

    store::TDM1& m_dm;
    shell::Ui& m_ui;
    Batches m_batches;
    calendar::BusinessCalendar m_calendar; // read again with every reload
    QList<codes::Institution> m_institutions;
    widgets::ScreenCommands* m_commands;
    QAction* m_extras[ExtraCount] = {};
    QAction* m_copyAll = nullptr;
    QAction* m_copyFailed = nullptr;
    QActionGroup* m_sortGroup = nullptr;
    QMenu* m_groupMenu = nullptr;
    QTableView* m_grid;
    RowTableModel<TransferBatch>* m_model;
    QComboBox* m_institution;
    QLineEdit* m_password;
    QDateEdit* m_date;
    QLineEdit* m_remark;

    TransferBatch m_row; // the batch being entered or edited
    bool m_editing = false;
    bool m_isNew = false;
    bool m_saveFailed = false;
    BatchOrder m_order = BatchOrder::None;
    LineOrder m_lineOrder = LineOrder::None;
};

} // namespace transfer
