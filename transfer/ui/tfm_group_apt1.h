#pragma once

#include "transfer/groups.h"
#include "widgets/child_screen.h"

#include <QWidget>

class QAction;
class QActionGroup;
class QComboBox;
class QLineEdit;
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

// "Veltrin그룹관리-관리사무소정보": the saved groups, a child window of the
// main window. The lines of a group are edited in TfmGroupApt2.
class TfmGroupApt1 : public QWidget, public widgets::ChildScreen
{
    Q_OBJECT
public:
    enum Extra { Copy, Lines, Find, Sort, ExtraCount };

    TfmGroupApt1(store::TDM1& dm, shell::Ui& ui, QWidget* parent = nullptr);
    ~TfmGroupApt1() override;

    static QString Caption();
    bool CloseQuery() override;
    void CancelEdits() override;

    widgets::ScreenCommands* commands() const { return m_commands; }
    QAction* extra(Extra e) const { return m_extras[e]; }
    QAction* sortAction(GroupOrder order) const;
    QTableView* grid() const { return m_grid; }
    QLineEdit* groupName() const { return m_name; }
    QComboBox* institution() const { return m_institution; }
    QLineEdit* password() const { return m_password; }
    QLineEdit* remark() const { return m_remark; }
    const QList<TransferGroup>& groups() const;
    bool editing() const { return m_editing; }

    void BtnInsertClick();
    void BtnEditClick();
    void BtnDeleteClick();
    void BtnSaveClick();
    void BtnCancelClick();
    void BtnCopyClick();
    void BtnLinesClick();
    void BtnFindClick();
    void SortBy(GroupOrder order);
    void GridDblClick();
    void BtnCloseClick();

private:
    void buildCommands();
    void reload(int selectAptId = 0);
    void showGroup(const TransferGroup* g);
    void setEditing(bool on);
    void updateCommands();
    const TransferGroup* current() const;
    int currentRow() const;

    store::TDM1& m_dm;
    shell::Ui& m_ui;
    Groups m_groups;
    QList<codes::Institution> m_institutions;
    widgets::ScreenCommands* m_commands;
    QAction* m_extras[ExtraCount] = {};
    QActionGroup* m_sortGroup = nullptr;
    QTableView* m_grid;
    RowTableModel<TransferGroup>* m_model;
    QLineEdit* m_name;
    QComboBox* m_institution;
    QLineEdit* m_password;
    QLineEdit* m_remark;

    TransferGroup m_row; // the group being entered or edited
    bool m_editing = false;
    bool m_isNew = false;
    bool m_saveFailed = false;
    GroupOrder m_order = GroupOrder::None;
};

} // namespace transfer
