#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace reports {

// The first sheet of a workbook as display texts, row by row from the first
// row to the last used one; every row has as many cells as the widest.
// .xlsx and .ods are read through the spreadsheet model, .xls (the old binary
// format) separately, .csv as UTF-8 or, when it is not valid UTF-8, as CP949.
// Any file, however broken, gives either the rows or nullopt with `error`
// set to a sentence the user can read.
using SheetRows = QList<QStringList>;
std::optional<SheetRows> ReadFirstSheet(const QString& path, QString* error = nullptr);

// The rows a preview grid of `columns` columns takes: the title row (the
// first row whose first cell, trimmed, is "이름", or an empty row when the
// sheet has none) and after it, one after another, every later row whose
// first cell is not empty, each cut to `columns` cells.
SheetRows PreviewRows(const SheetRows& sheet, int columns);

// How a number cell reads: integers without a fraction, others with up to 15
// significant digits, never in exponent form for ordinary amounts.
QString NumberText(double value);

} // namespace reports
