#include "shell/import_helpers.h"

#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/text_helpers.h"

#include <QDate>
#include <QFile>

namespace shell {
namespace {

bool containsCode(const QStringList& sorted, const QString& code)
{
    for (const QString& c : sorted)
        if (c.compare(code, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

int bytes(const QString& text)
{
    return Cp949Length(text);
}

} // namespace

FieldCheck CheckTemplateField(bool accept, int column, const QString& raw, const CodeLists& codes)
{
    const QString text = raw.trimmed();
    if (accept)
        return {true, text, false};
    switch (column) {
    case 0:
        return {bytes(text) >= 1 && bytes(text) <= 50, text, false};
    case 1:
        return {bytes(text) >= 1 && bytes(text) <= 10 && containsCode(codes.institutions, text),
                text, false};
    case 2: {
        if (bytes(text) < 1 || bytes(text) > 2)
            return {false, text, false};
        const QString code = text.size() == 1 ? "0" + text : text;
        bool ok = false;
        const int n = code.toInt(&ok);
        if (!ok || n <= 0 || !containsCode(codes.banks, code))
            return {false, code, false};
        if (n == 10 || n == 11)
            return {true, "11", false};
        if (n >= 12 && n <= 15)
            return {true, "12", false};
        return {true, code, false};
    }
    case 3: {
        QString v = RemoveChar(RemoveChar(text, '-'), ' ');
        return {IsDigitText(v), v, false};
    }
    case 4:
        return {bytes(text) >= 1 && bytes(text) <= 13 && !HasDoubleByte(text), text, false};
    case 5: {
        const QString noHyphen = RemoveChar(text, '-');
        const QString v = RemoveChar(noHyphen, ' ');
        return {!text.isEmpty() && bytes(noHyphen) <= 13 && IsDigitText(v), v, false};
    }
    case 6: {
        const QString v = RemoveChar(text, '-');
        if (v.isEmpty())
            return {true, Today().toString("yyyy-MM-dd"), false};
        if (bytes(v) != 8)
            return {false, v, false};
        const QDate date = QDate::fromString(v, "yyyyMMdd");
        if (!date.isValid() || !IsDigitText(v))
            return {false, v, true};
        return {true, date.toString("yyyy-MM-dd"), false};
    }
    case 7: {
        if (bytes(text) > 2)
            return {false, text, false};
        if (text.isEmpty())
            return {true, DigitsOnly(text), false};
        bool ok = false;
        const int day = text.toInt(&ok);
        if (!ok)
            return {false, text, true};
        return {day <= 31, DigitsOnly(text), false};
    }
    case 8:
        return {bytes(text) <= 3, text, false};
    case 9:
        return {true, text.toUpper(), false};
    default:
        return {false, text, false};
    }
}

bool IsTitleLine(const QByteArray& line)
{
    const QByteArray t = line.trimmed();
    static const QByteArray name = ToCp949(QStringLiteral("이름"));
    static const QByteArray bank = ToCp949(QStringLiteral("은행"));
    static const QByteArray dong = ToCp949(QStringLiteral("동"));
    const QByteArray four = t.left(4);
    return four == name || four == bank || t.left(2) == dong;
}

bool ReadFixedColumns(int mode, const QString& fileName, const QList<LayoutRow>& layout,
                      Grid& grid)
{
    QList<LayoutRow> used;
    for (const LayoutRow& row : layout)
        if (mode != 2 || (row.start != 0 && row.length != 0))
            used.append(row);

    grid.clear();
    QStringList headings;
    for (const LayoutRow& row : used)
        headings.append(row.heading);
    grid.append(headings);

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray& l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    qsizetype first = 0;
    for (qsizetype i = 0; i < lines.size() && i < 10; ++i) {
        if (IsTitleLine(LeftBytes(lines[i], 255))) {
            first = i + 1;
            break;
        }
    }
    for (qsizetype i = first; i < lines.size(); ++i) {
        const QByteArray line = lines[i].left(255);
        if (line.trimmed().isEmpty())
            continue;
        QStringList cells;
        for (const LayoutRow& row : used)
            cells.append(FromCp949(MidBytes(line, row.start - 1, row.length)).trimmed());
        grid.append(cells);
    }
    return true;
}

} // namespace shell
