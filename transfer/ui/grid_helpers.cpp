#include "transfer/ui/grid_helpers.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QToolBar>
#include <algorithm>

namespace transfer {

QTableView* MakeGrid(QWidget* parent, QAbstractItemModel* model)
{
    auto* grid = new QTableView(parent);
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setAlternatingRowColors(false);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->horizontalHeader()->setHighlightSections(false);
    return grid;
}

void CompactToolBar(QToolBar* bar)
{
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(20, 20));
}

QList<int> SelectedOrCurrent(const QTableView* grid)
{
    QList<int> rows;
    if (const QItemSelectionModel* sel = grid->selectionModel())
        for (const QModelIndex& i : sel->selectedRows())
            rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    if (rows.isEmpty() && grid->currentIndex().isValid())
        rows.append(grid->currentIndex().row());
    return rows;
}

void MoveTo(QTableView* grid, int row)
{
    if (!grid->model() || row < 0 || row >= grid->model()->rowCount())
        return;
    const QModelIndex index = grid->model()->index(row, 0);
    grid->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grid->scrollTo(index);
}

} // namespace transfer
