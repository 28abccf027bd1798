#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace shell {

struct LayoutRow
{
    QString heading;
    int start = 0; // counted from 1
    int length = 0;
};

using Grid = QList<QStringList>;

// Reads a fixed-column CP949 text file into `grid` (row 0: headings), from
// after the title line among the first ten (see IsTitleLine) or from the
// top. Mode 1 uses every layout row, mode 2 only rows whose start and
// length are both non-zero. Fails with the reason when the file cannot be
// read.
platform::Result<Grid> ReadFixedColumns(int mode, const QString& fileName,
                                        const QList<LayoutRow>& layout);

// What an import preview shows: the rows (titles first), the errors that
// block the import, and the account numbers to look at again.
struct ImportPreview
{
    Grid rows;
    QStringList errors;
    QStringList accountErrors;
    bool blocked() const { return !errors.isEmpty(); }
};

// The bytes of an import file in CP949. A file saved as UTF-8 is converted,
// so that positions still count CP949 bytes; characters CP949 cannot hold
// make the file unreadable rather than storing "?" in their place. Fails
// with the reason when the file cannot be read.
platform::Result<QByteArray> ReadCp949File(const QString& fileName);

// True when the bank refuses a resident registration number on `date`
// (YYYYMMDD as a number): the code is in the set that applies and the
// trimmed value is longer than 12 characters.
bool RefusesResidentNumber(const QString& bankCode, int date, const QString& value);
int DateNumber(const QDate& date);

// An import preview's error line: "[" row "행[" first cell "]: " the
// failing column numbers and "열]", filled to 30 characters, then "= " and
// the failing values.
QString PreviewErrorLine(int row, const QString& firstCell, const QList<int>& columns,
                         const QStringList& values);

// The lines of a text file, each without its line end: CR LF, LF and a CR
// alone (as old Mac tools end lines) all end a line; a last line without
// an end counts, an empty one after the last end does not.
QList<QByteArray> SplitTextLines(const QByteArray& bytes);

// True for a title line: after trimming it begins with "이름" or "은행" in
// its first four bytes or with "동" in its first two.
bool IsTitleLine(const QByteArray& line);

} // namespace shell
