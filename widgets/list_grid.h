#pragma once

#include <QStringList>

class QTableWidget;
class QWidget;

namespace widgets {

// A read-only list of whole rows, one selected at a time, without row
// numbers, its last column taking the width that is left.
QTableWidget* NewListGrid(const QStringList& headings, QWidget* parent);

} // namespace widgets
