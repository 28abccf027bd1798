#include "reports/ui/spreadsheet_grid.h"

#include "reports/spreadsheet_reader.h"
#include "shell/ui.h"

#include <QTableWidget>

namespace reports {

bool ReadSpreadsheetIntoGrid(shell::Ui& ui, const QString& fileName, QTableWidget* grid)
{
    if (fileName.isEmpty())
        return false;
    const auto sheet = ReadFirstSheet(fileName);
    if (!sheet) {
        grid->setRowCount(0);
        ui.ShowError(sheet.error());
        return false;
    }
    platform::Result<SheetRows> read = ImportRows(*sheet, grid->columnCount(), fileName);
    if (!read) {
        grid->setRowCount(0);
        ui.ShowError(read.error());
        return false;
    }
    SheetRows rows = std::move(read).value();
    // A sheet without a title row keeps the grid's own headings in row 0.
    if (rows.first().isEmpty())
        for (int c = 0; c < grid->columnCount(); ++c)
            rows.first().append(grid->horizontalHeaderItem(c) ? grid->horizontalHeaderItem(c)->text()
                                                              : QString());
    grid->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c)
            grid->setItem(r, c, new QTableWidgetItem(rows[r][c]));
        // A long sheet would spend its time repainting the wait window.
        if ((r + 1) % 100 == 0 || r + 1 == rows.size())
            ui.ShowWaitMessage(QString("자료 변환 중...현재 %1건 처리").arg(r + 1));
    }
    ui.CloseWait();
    return true;
}

} // namespace reports
