#pragma once

#include <QString>

class QTableWidget;

namespace shell {
class Ui;
}

namespace reports {

// Loads the first sheet of a workbook into a preview grid: the row whose
// first cell reads "이름" into grid row 0 (without one, the grid's own
// headings), the following rows with a first cell one after another, one grid column per sheet column up to the
// grid's column count. An empty name does nothing; a file that cannot be
// read shows why and leaves the grid empty. False when nothing was read.
bool ReadSpreadsheetIntoGrid(shell::Ui& ui, const QString& fileName, QTableWidget* grid);

} // namespace reports
