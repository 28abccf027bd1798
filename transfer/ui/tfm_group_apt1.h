#pragma once

#include "transfer/groups.h"
#include "transfer/ui/head_screen.h"

class QLineEdit;

namespace transfer {

// "Veltrin그룹관리-관리사무소정보": the saved groups, a child window of the
// main window. The lines of a group are edited in TfmGroupApt2.
class TfmGroupApt1 : public HeadRowsScreen<TransferGroup>
{
    Q_OBJECT
public:
    enum Extra { Copy, Lines, Find, Sort, ExtraCount };

    TfmGroupApt1(store::TDM1& dm, shell::Ui& ui, QWidget* parent = nullptr);

    static QString Caption();

    QAction* extra(Extra e) const { return m_extras[e]; }
    QAction* sortAction(GroupOrder order) const { return sortChoice(int(order)); }
    QLineEdit* groupName() const { return m_name; }
    const QList<TransferGroup>& groups() const { return rows(); }

    void BtnCopyClick();
    void SortBy(GroupOrder order) { sortBy(int(order)); }

private:
    void addExtras() override;
    void loadRows() override;
    void showRow(const TransferGroup* g) override;
    std::optional<TransferGroup> newRow() override { return m_groups.NewGroup(); }
    QWidget* storeEdited() override;
    bool deleteHeads(const QList<int>& ids) override;
    bool toggleState(int id) override { return m_groups.ToggleState(id); }
    void openLines(int row) override;
    void openFind() override;
    void focusNew() override;

    Groups m_groups;
    QAction* m_extras[ExtraCount] = {};
    QLineEdit* m_name;
};

} // namespace transfer
