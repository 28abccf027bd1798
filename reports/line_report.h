#pragma once

#include "transfer/batches.h"
#include "transfer/lines.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace shell {
class Ui;
}

namespace reports {

using transfer::TransferBatch;
using transfer::TransferItem;

// "[" + code + "] " + the institution's name, or "[" + code + "]" when
// UserCode has not exactly one row for the code.
QString InstitutionLabel(QSqlDatabase db, const QString& giganId10);
// A 13-character payer number without "-" prints as 6 + "-" + 7.
QString PrintedNapbuNo(const QString& napbuNo);

// 0 all lines, 1 the transferred ones ("Y"), 2 every other.
QList<TransferItem> FilterLines(const QList<TransferItem>& lines, int dataChoice);

// The semicolon-separated text output of the lines ("Rendal.txt"): a header
// and one line per record (dates "yyyy-MM-dd" and times "HH:mm:ss" whatever
// the desktop's locale, as branch files have always carried them), each field cut (at a character
// boundary) or filled to its byte width, CP949, CR LF. Characters CP949 lacks are written as "?"
// and counted in `unmappable`. Written in one piece under a temporary name, so a failure leaves no
// partial file; false on any error.
bool WriteLinesText(shell::Ui& ui, const QString& fileName, const QList<TransferItem>& lines,
                    int* unmappable = nullptr);

// The text output as the user saves it (the print dialog's file output and
// `pelmar-tool text-output`): asks before replacing an existing file (No
// leaves it alone), writes, and says how it went.
enum class SaveOutcome { Saved, Declined, Failed };
SaveOutcome SaveLinesText(shell::Ui& ui, const QString& fileName, const QList<TransferItem>& lines);

} // namespace reports
