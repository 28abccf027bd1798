#pragma once

#include "reports/sheet_file.h"
#include "shell/workspace.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace reports {

// The first sheet of a workbook (see ReadSheetFile for the formats and the
// rows), read in a process of its own: the helper `pelmar-sheet` beside
// the programs (in `shippedDir`, by default the running executable's folder,
// which is the workspace's shippedDir). A file that ends that process or
// keeps it past its time fails with "파일을 읽을 수 없습니다."; no file takes
// the calling program down. Any other file gives the rows or a sentence the
// user can read.
platform::Result<SheetRows> ReadFirstSheet(const QString& path,
                                           const QString& shippedDir = shell::ExecutableDir());

// The helper that ReadFirstSheet runs: `pelmar-sheet` in `shippedDir`.
QString SheetReaderProgram(const QString& shippedDir);

// The rows a preview grid of `columns` columns takes: the title row (the
// first row whose first cell, trimmed, is "이름", or an empty row when the
// sheet has none) and after it, one after another, every later row whose
// first cell is not empty, each cut to `columns` cells (a shorter row stays
// as short).
SheetRows PreviewRows(const SheetRows& sheet, int columns);

// PreviewRows for an import: a sheet that gives no row below the titles
// (whatever the cause: an empty sheet, cells the reader could not read, a
// list without names) fails with a sentence that says so and names the
// title the reader looked for; `path` names the file.
platform::Result<SheetRows> ImportRows(const SheetRows& sheet, int columns, const QString& path);

} // namespace reports
