#include "widgets/list_grid.h"

#include <QHeaderView>
#include <QTableWidget>

namespace widgets {

QTableWidget* NewListGrid(const QStringList& headings, QWidget* parent)
{
    auto* grid = new QTableWidget(0, int(headings.size()), parent);
    grid->setHorizontalHeaderLabels(headings);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

} // namespace widgets
