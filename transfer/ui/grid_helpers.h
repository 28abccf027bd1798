#pragma once

#include <QList>

class QAbstractItemModel;
class QTableView;
class QToolBar;
class QWidget;

namespace transfer {

// A multi-select, read-only grid of whole rows.
QTableView* MakeGrid(QWidget* parent, QAbstractItemModel* model);

// Icons above their texts, so that a screen's many commands fit its width.
void CompactToolBar(QToolBar* bar);

// The selected rows in order, or the current row when none is selected
// (empty without a current row).
QList<int> SelectedOrCurrent(const QTableView* grid);

// Makes `row` the current and only selected row and shows it.
void MoveTo(QTableView* grid, int row);

} // namespace transfer
