#pragma once

#include "platform/result.h"
#include "reports/spreadsheet_reader.h"

#include <QString>
#include <QStringList>

namespace shell {
class Ui;
}

namespace reports {

// The lists the screens export, each with its fixed headings: the two
// entry screens' lists and the lines without consent shown before a send.
// 수납 현황's month per institution and the change record's rows as well.
enum class ExportKind {
    ConsentList = 1,
    TransferLines = 2,
    MissingConsents = 3,
    Collections = 4,
    ChangeRecord = 5,
};

QStringList ExportHeadings(ExportKind kind);

// Writes `rows` (display texts, in heading order) under the kind's headings
// to a new workbook with the sheet "Miradel". Amounts become number cells
// shown "#,##0" and dates date cells shown "yyyy-mm-dd"; every other text
// stays text, so account numbers and codes keep their leading zeros. Shows
// the progress per row. A failure names the file and why.
platform::Result<> WriteExportWorkbook(shell::Ui& ui, ExportKind kind, const SheetRows& rows,
                                       const QString& path);

// The export as the screens run it: the workbook goes to `tempDir` (the
// workspace's Temp/) and is opened with the desktop's spreadsheet program;
// without one the user is told where the file is. False (with the message
// shown) when it could not be written.
bool ExportToSpreadsheet(shell::Ui& ui, ExportKind kind, const SheetRows& rows,
                         const QString& tempDir);

// The consent-request template: notes, headings and one example row, in
// exactly the columns the consent import reads.
QString ConsentTemplateNotes();
QStringList ConsentTemplateHeadings();
QStringList ConsentTemplateExample();
platform::Result<> WriteConsentTemplateFile(shell::Ui& ui, const QString& path);
bool WriteConsentTemplate(shell::Ui& ui, const QString& tempDir);

// Where the exports and the template are written in `tempDir`.
QString ExportFilePath(const QString& tempDir, const QString& baseName);

} // namespace reports
