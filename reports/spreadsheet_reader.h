#pragma once

#include "reports/sheet_file.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace reports {

// The first sheet of a workbook (see ReadSheetFile for the formats and the
// rows), read in a process of its own: the helper `pelmar-sheet` beside
// the programs. A file that ends that process or keeps it past its time
// fails with "파일을 읽을 수 없습니다."; no file takes the calling program
// down. Any other file gives the rows or a sentence the user can read.
platform::Result<SheetRows> ReadFirstSheet(const QString& path);

// The helper that ReadFirstSheet runs: `pelmar-sheet` in the shipped folder.
QString SheetReaderProgram();

// The rows a preview grid of `columns` columns takes: the title row (the
// first row whose first cell, trimmed, is "이름", or an empty row when the
// sheet has none) and after it, one after another, every later row whose
// first cell is not empty, each cut to `columns` cells (a shorter row stays
// as short).
SheetRows PreviewRows(const SheetRows& sheet, int columns);

} // namespace reports
