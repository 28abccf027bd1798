#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <functional>

class QAbstractItemModel;
class QFont;
class QAction;
class QActionGroup;
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

// The exclusive choices of a screen's 정 렬 menu and the order chosen last
// (0, the first, until another is chosen).
class SortChoices
{
public:
    SortChoices() = default;
    // Fills `menu` with the choices (text, order), the first checked;
    // choosing one calls `chosen` with its order.
    SortChoices(QMenu* menu, const QList<QPair<QString, int>>& choices,
                std::function<void(int)> chosen);

    int order() const { return m_order; }
    QAction* choice(int order) const;
    // `order` becomes the chosen one, its choice checked.
    void choose(int order);
    void setEnabled(bool on);

private:
    QActionGroup* m_group = nullptr;
    int m_order = 0;
};

// Drops `menu` down below the toolbar button of `action`, as a click on the
// button does; for the button's shortcut.
void PopupBelow(QToolBar* bar, QAction* action, QMenu* menu);

} // namespace transfer
