#include "shell/import_helpers.h"

#include "shell/codec.h"
#include "shell/text_helpers.h"

#include <QDate>
#include <QFile>

namespace shell {
namespace {

int bytes(const QString& text)
{
    return Cp949Length(text);
}

bool inRanges(int code, std::initializer_list<std::pair<int, int>> ranges)
{
    for (const auto& [from, to] : ranges)
        if (code >= from && code <= to)
            return true;
    return false;
}

} // namespace

int DateNumber(const QDate& date)
{
    return date.isValid() ? date.year() * 10000 + date.month() * 100 + date.day() : 0;
}

bool RefusesResidentNumber(const QString& bankCode, int date, const QString& value)
{
    if (value.trimmed().size() <= 12)
        return false;
    bool ok = false;
    const int c = bankCode.trimmed().toInt(&ok);
    if (!ok)
        return false;
    bool refused = false;
    if (date > 20140803)
        refused = inRanges(c, {{3, 4}, {6, 7}, {9, 9}, {19, 20}, {22, 22}, {24, 25}, {27, 27},
                               {29, 29}, {31, 31}, {33, 37}, {39, 39}, {45, 49}, {53, 53},
                               {71, 75}, {78, 87}});
    if (date >= 20140805)
        refused = refused || c == 2 || c == 5;
    if (date >= 20140806)
        refused = refused || inRanges(c, {{21, 21}, {26, 26}, {28, 28}, {88, 88}});
    if (date > 20140806)
        refused = refused || inRanges(c, {{10, 18}, {23, 23}, {32, 32}});
    return refused;
}

QString PreviewErrorLine(int row, const QString& firstCell, const QList<int>& columns,
                         const QStringList& values)
{
    QStringList numbers;
    for (int c : columns)
        numbers.append(QString::number(c));
    const QString head =
        "[" + QString::number(row) + "행[" + firstCell + "]: " + numbers.join(",") + "열]";
    // A longer head is kept whole rather than cut.
    return (bytes(head) < 30 ? PadText(head, 30, true) : head) + "= " + values.join(",");
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

platform::Result<QByteArray> ReadCp949File(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return platform::Fail(QStringLiteral("파일을 읽을 수 없습니다: ") + fileName);
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return platform::Fail(QStringLiteral("파일을 읽을 수 없습니다: ") + fileName);
    if (IsMultiByteUtf8(bytes)) {
        const QString text = QString::fromUtf8(bytes);
        QByteArray converted = ToCp949(text);
        if (FromCp949(converted) != text)
            return platform::Fail(
                QStringLiteral("CP949(완성형)로 바꿀 수 없는 글자가 있는 파일입니다: ") + fileName);
        bytes = std::move(converted);
    }
    return bytes;
}

QList<QByteArray> SplitTextLines(const QByteArray& bytes)
{
    QList<QByteArray> out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        out.append(bytes.mid(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        out.append(bytes.mid(start));
    return out;
}

platform::Result<Grid> ReadFixedColumns(int mode, const QString& fileName,
                                        const QList<LayoutRow>& layout)
{
    QList<LayoutRow> used;
    for (const LayoutRow& row : layout)
        if (mode != 2 || (row.start != 0 && row.length != 0))
            used.append(row);

    Grid grid;
    QStringList headings;
    for (const LayoutRow& row : used)
        headings.append(row.heading);
    grid.append(headings);

    const platform::Result<QByteArray> bytes = ReadCp949File(fileName);
    if (!bytes)
        return platform::Fail(bytes.error());
    const QList<QByteArray> lines = SplitTextLines(*bytes);

    qsizetype first = 0;
    for (qsizetype i = 0; i < lines.size() && i < 10; ++i) {
        if (IsTitleLine(lines[i])) {
            first = i + 1;
            break;
        }
    }
    for (qsizetype i = first; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.trimmed().isEmpty())
            continue;
        QStringList cells;
        for (const LayoutRow& row : used)
            cells.append(FromCp949(MidBytes(line, row.start - 1, row.length)).trimmed());
        grid.append(cells);
    }
    return grid;
}

} // namespace shell
