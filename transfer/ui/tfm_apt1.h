#pragma once

#include "calendar/business_calendar.h"
#include "transfer/batches.h"
#include "transfer/lines.h"
#include "transfer/ui/head_screen.h"

class QDateEdit;
class QMenu;

namespace transfer {

// "Veltrin-관리사무소정보": the transfer batches, a child window of the main
// window. The lines of a batch are edited in TfmApt2.
class TfmApt1 : public HeadRowsScreen<TransferBatch>
{
    Q_OBJECT
public:
    // The screen's own commands beside the shared six.
    enum Extra { Copy, Lines, Find, Sort, Result, Print, Group, ListPrint, ExtraCount };

    TfmApt1(store::TDM1& dm, shell::Ui& ui, QWidget* parent = nullptr);

    static QString Caption();

    QAction* extra(Extra e) const { return m_extras[e]; }
    QAction* copyAll() const { return m_copyAll; }
    QAction* copyFailed() const { return m_copyFailed; }
    // 복 사 ▸ 불능자료 재청구 (also in the context menu): a received batch only.
    QAction* represent() const { return m_represent; }
    QAction* sortAction(BatchOrder order) const { return sortChoice(int(order)); }
    QMenu* groupMenu() const { return m_groupMenu; }
    QDateEdit* transferDate() const { return m_date; }
    const QList<TransferBatch>& batches() const { return rows(); }
    // A batch not yet sent whose transfer date the branch calendar now
    // marks closed: it stands out in the grid and the send leaves it behind.
    bool closedDate(const TransferBatch& b) const;
    // The order the lines screen last chose; printing follows it.
    LineOrder lineOrder() const { return m_lineOrder; }

    void BtnCopyClick(bool failedOnly);
    void BtnResultClick();
    // The failed lines of the current batch presented again by the
    // follow-up rules, after a preview question.
    void BtnRepresentClick();
    void SortBy(BatchOrder order) { sortBy(int(order)); }
    void GroupCopy(int groupId);

private:
    void buildGroupMenu();
    void setBusy(bool busy);

    void addExtras() override;
    void loadRows() override;
    void showRow(const TransferBatch* b) override;
    std::optional<TransferBatch> newRow() override { return m_batches.NewBatch(); }
    QWidget* storeEdited() override;
    bool deleteHeads(const QList<int>& ids) override;
    bool toggleState(int id) override { return m_batches.ToggleState(id); }
    void openLines(int row) override;
    void openFind() override;
    void enableExtras(bool empty) override;
    void commandsUpdated() override;
    void beforeReload() override;

    Batches m_batches;
    calendar::BusinessCalendar m_calendar; // read again with every reload
    QAction* m_extras[ExtraCount] = {};
    QAction* m_copyAll = nullptr;
    QAction* m_copyFailed = nullptr;
    QAction* m_represent = nullptr;
    QMenu* m_groupMenu = nullptr;
    QDateEdit* m_date;

    LineOrder m_lineOrder = LineOrder::None;
};

} // namespace transfer
