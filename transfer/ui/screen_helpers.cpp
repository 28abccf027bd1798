#include "transfer/ui/screen_helpers.h"

#include <QAction>
#include <QCursor>
#include <QFont>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTableView>
#include <QToolBar>
#include <algorithm>

namespace transfer {

QFont FixedPitchFont()
{
    QFont f;
    f.setFamilies({QStringLiteral("NanumGothicCoding"), QStringLiteral("D2Coding"),
                   QStringLiteral("Monospace")});
    f.setStyleHint(QFont::TypeWriter);
    return f;
}

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

int CurrentRow(const QTableView* grid)
{
    return grid->currentIndex().isValid() ? grid->currentIndex().row() : -1;
}

void MoveTo(QTableView* grid, int row, bool select)
{
    if (!grid->model() || row < 0 || row >= grid->model()->rowCount())
        return;
    const QModelIndex index = grid->model()->index(row, 0);
    grid->selectionModel()->setCurrentIndex(index, select ? QItemSelectionModel::ClearAndSelect |
                                                                QItemSelectionModel::Rows
                                                          : QItemSelectionModel::NoUpdate);
    grid->scrollTo(index);
}

void PopupBelow(QToolBar* bar, QAction* action, QMenu* menu)
{
    QWidget* button = bar->widgetForAction(action);
    menu->popup(button ? button->mapToGlobal(QPoint(0, button->height())) : QCursor::pos());
}

} // namespace transfer
