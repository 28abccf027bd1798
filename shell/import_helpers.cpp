#include "shell/import_helpers.h"

#include "codes/bank_groups.h"
#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/text_helpers.h"
#include "shell/ui.h"

#include <QDate>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

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

bool inRanges(int code, std::initializer_list<std::pair<int, int>> ranges)
{
    for (const auto& [from, to] : ranges)
        if (code >= from && code <= to)
            return true;
    return false;
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
        return {true, codes::ConsentBankCode(code), false};
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

bool SaveLayoutRow(const QSqlDatabase& db, Ui& ui, const QString& table, const QString& nameColumn,
                   const QString& oldName, const QList<QPair<QString, QVariant>>& values,
                   const std::function<QString(const QSqlError&)>& errorText)
{
    QString name;
    QStringList columns, marks;
    for (const auto& [column, value] : values) {
        if (column == nameColumn)
            name = value.toString();
        columns << column;
        marks << "?";
    }
    QSqlQuery dup(db);
    dup.prepare("SELECT Count(*) FROM " + table + " WHERE " + nameColumn + " = ? AND " +
                nameColumn + " <> ?");
    dup.addBindValue(name);
    dup.addBindValue(oldName);
    if (dup.exec() && dup.next() && dup.value(0).toInt() > 0) {
        ui.ShowInfo(QStringLiteral("자료명칭이 중복됩니다."));
        return false;
    }
    QSqlDatabase connection = db;
    const bool began = connection.transaction();
    QSqlQuery del(db);
    del.prepare("DELETE FROM " + table + " WHERE " + nameColumn + " = ?");
    del.addBindValue(oldName);
    QSqlQuery insert(db);
    insert.prepare("INSERT INTO " + table + " (" + columns.join(", ") + ") VALUES (" +
                   marks.join(", ") + ")");
    for (const auto& [column, value] : values)
        insert.addBindValue(column == nameColumn && name.trimmed().isEmpty() ? QVariant()
                                                                             : value);
    QSqlError error;
    if (!began)
        error = connection.lastError();
    else if (!oldName.isEmpty() && !del.exec())
        error = del.lastError();
    else if (!insert.exec())
        error = insert.lastError();
    else if (!connection.commit())
        error = connection.lastError();
    else
        return true;
    if (began)
        connection.rollback();
    ui.ShowError(errorText(error));
    return false;
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

std::optional<QByteArray> ReadCp949File(const QString& fileName, QString* error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("파일을 읽을 수 없습니다: ") + fileName;
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("파일을 읽을 수 없습니다: ") + fileName;
        return std::nullopt;
    }
    if (IsMultiByteUtf8(bytes)) {
        const QString text = QString::fromUtf8(bytes);
        QByteArray converted = ToCp949(text);
        if (FromCp949(converted) != text) {
            if (error)
                *error = QStringLiteral("CP949(완성형)로 바꿀 수 없는 글자가 있는 파일입니다: ") +
                         fileName;
            return std::nullopt;
        }
        bytes = std::move(converted);
    }
    return bytes;
}

bool ReadFixedColumns(int mode, const QString& fileName, const QList<LayoutRow>& layout,
                      Grid& grid, QString* error)
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

    const std::optional<QByteArray> bytes = ReadCp949File(fileName, error);
    if (!bytes)
        return false;
    QList<QByteArray> lines = bytes->split('\n');
    for (QByteArray& l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

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
    return true;
}

} // namespace shell
