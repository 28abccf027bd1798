#pragma once

#include <QList>

class QAbstractItemModel;
class QFont;
class QAction;
class QMenu;
class QTableView;
class QToolBar;
class QWidget;

namespace transfer {

// A multi-select, read-only grid of whole rows.
QTableView* MakeGrid(QWidget* parent, QAbstractItemModel* model);

// A fixed-pitch font whose Hangul take two columns, so that CP949 byte
// positions line up on screen; plain monospace where none is installed.
QFont FixedPitchFont();

// Icons above their texts, so that a screen's many commands fit its width.
void CompactToolBar(QToolBar* bar);

// The selected rows in order, or the current row when none is selected
// (empty without a current row).
QList<int> SelectedOrCurrent(const QTableView* grid);
// The grid's current row, -1 without one.
int CurrentRow(const QTableView* grid);

// Makes `row` current and shows it; with `select` it also becomes the only
// selected row, otherwise the selection stays as it is.
void MoveTo(QTableView* grid, int row, bool select = true);

// Drops `menu` down below the toolbar button of `action`, as a click on the
// button does; for the button's shortcut.
void PopupBelow(QToolBar* bar, QAction* action, QMenu* menu);

} // namespace transfer
