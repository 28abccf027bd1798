#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace shell {

// The two sorted code lists of the main window, which the import checks
// look codes up in.
struct CodeLists
{
    QStringList institutions; // UserCode.APID10
    QStringList banks;        // BankCode.Id
};

struct FieldCheck
{
    bool accepted = false;
    QString value;
    bool conversionError = false; // a date or number that does not convert
};

// Checks one cell of the consent-request template (columns 0..9).
FieldCheck CheckTemplateField(bool accept, int column, const QString& text,
                              const CodeLists& codes);

struct LayoutRow
{
    QString heading;
    int start = 0; // counted from 1
    int length = 0;
};

using Grid = QList<QStringList>;

// Reads a fixed-column CP949 text file into `grid` (row 0: headings). Mode
// 1 uses every layout row, mode 2 only rows whose start and length are both
// non-zero. Returns false when the file cannot be read.
bool ReadFixedColumns(int mode, const QString& fileName, const QList<LayoutRow>& layout,
                      Grid& grid);

// True for a title line: after trimming it begins with "이름" or "은행" in
// its first four bytes or with "동" in its first two.
bool IsTitleLine(const QByteArray& line);

} // namespace shell
