#include "reports/ui/spreadsheet_grid.h"

#include "reports/spreadsheet_reader.h"
#include "shell/ui.h"

#include <QTableWidget>

namespace reports {

bool ReadSpreadsheetIntoGrid(shell::Ui& ui, const QString& fileName, QTableWidget* grid)
{
    if (fileName.isEmpty())
        return false;
    QString error;
    const auto sheet = ReadFirstSheet(fileName, &error);
    if (!sheet) {
        grid->setRowCount(0);
        ui.ShowError(error);
        return false;
    }
    const SheetRows rows = PreviewRows(*sheet, grid->columnCount());
    grid->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c)
            grid->setItem(r, c, new QTableWidgetItem(rows[r][c]));
        ui.ShowWaitMessage(QString("자료 변환 중...현재 %1건 처리").arg(r + 1));
    }
    ui.CloseWait();
    return true;
}

} // namespace reports
