#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QIODevice;

namespace reports {

// The first sheet of a workbook as display texts, row by row from the first
// row to the last used one; each row holds its cells up to its last
// non-empty one (an empty row is an empty list), as the sheet has them.
using SheetRows = QList<QStringList>;

// The largest sheet that is read; a bigger one is refused as a whole, with
// a message, before its cells take the memory.
constexpr int kMaxSheetRows = 200000;
constexpr int kMaxSheetColumns = 256;
constexpr qint64 kMaxSheetCells = 1000000;

// Reads the first sheet in this process. .xlsx and .ods are read through the
// spreadsheet model, .xls (the old binary format) separately, .csv as UTF-8
// or, when it is not valid UTF-8, as CP949. Gives the rows or a sentence the
// user can read. The parsers trust more of a
// file than they should: a hostile file can still end the process, so the
// programs read through ReadFirstSheet (spreadsheet_reader.h), which runs
// this in a process of its own; the fuzz targets call it directly.
platform::Result<SheetRows> ReadSheetFile(const QString& path);

// How the reading process hands its result to the program: rows as UTF-8
// cells, each with its length, or the error sentence. ReadSheetAnswer
// gives nullopt for anything that is not a whole, well-formed answer.
void WriteSheetAnswer(QIODevice& out, const platform::Result<SheetRows>& sheet);
std::optional<platform::Result<SheetRows>> ReadSheetAnswer(const QByteArray& answer);

// How a number cell reads: integers without a fraction, others with up to 15
// significant digits, never in exponent form for ordinary amounts.
QString NumberText(double value);

} // namespace reports
