#include "shell/text_helpers.h"

#include "shell/codec.h"

#include <QRandomGenerator>

namespace shell {
namespace {

QString pad(const QString& text, int width, bool leftAlign, char filler)
{
    if (width <= 0)
        return {};
    const QByteArray bytes = ToCp949(text);
    if (bytes.size() > width)
        return FromCp949(PadBytes(bytes, width, leftAlign, filler));
    QString value = text;
    for (QChar& c : value)
        if (c.unicode() < 0x80 && IsControlByte(uchar(c.unicode())))
            c = QChar(' ');
    const QString fill(width - int(bytes.size()), QChar(filler));
    return leftAlign ? value + fill : fill + value;
}

int base62Digit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'Z')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'z')
        return u - 'a' + 36;
    return 0;
}

bool isAsciiAlnum(ushort u)
{
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

// Reads a whole text as a number the way a plain integer conversion would:
// optional blanks around, optional sign, digits only.
std::optional<qint64> toNumber(const QString& text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(v) : std::nullopt;
}

} // namespace

void BlankControlBytes(char* data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i)
        if (IsControlByte(static_cast<unsigned char>(data[i])))
            data[i] = ' ';
}

QByteArray PadBytes(const QByteArray& bytes, int width, bool leftAlign, char filler)
{
    if (width <= 0)
        return {};
    QByteArray out;
    if (bytes.size() > width) {
        // A character split by the cut is replaced by a blank.
        out = LeftBytes(bytes, width);
        out.append(QByteArray(width - out.size(), ' '));
    } else {
        const QByteArray fill(width - bytes.size(), filler);
        out = leftAlign ? bytes + fill : fill + bytes;
    }
    BlankControlBytes(out.data(), out.size());
    return out;
}

std::optional<QByteArray> NumberField(qint64 value, int width)
{
    const QByteArray digits = QByteArray::number(value);
    if (width <= 0 || digits.size() > width)
        return std::nullopt;
    return QByteArray(width - digits.size(), '0') + digits;
}

QString TooWideNumberMessage(qint64 value, int width)
{
    return TooWideNumberMessage(QString::number(value), width);
}

QString TooWideNumberMessage(const QString& value, int width)
{
    return QStringLiteral("숫자 %1이(가) 파일의 %2자리 칸보다 길어 파일을 만들 수 없습니다.")
        .arg(value)
        .arg(width);
}

QString PadText(const QString& text, int width, bool leftAlign)
{
    return pad(text, width, leftAlign, ' ');
}

QString PadZeros(const QString& text, int width, bool leftAlign)
{
    return pad(text, width, leftAlign, '0');
}

QString RemoveChar(const QString& text, QChar ch)
{
    QString out = text;
    out.remove(ch);
    return out;
}

QString DigitsOnly(const QString& text)
{
    QString out;
    for (QChar c : text)
        if (c >= '0' && c <= '9')
            out += c;
    return out;
}

bool IsDigitText(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool HasDoubleByte(const QString& text)
{
    const QByteArray bytes = ToCp949(text);
    for (char b : bytes)
        if (IsLeadByte(static_cast<unsigned char>(b)))
            return true;
    return false;
}

QString SymbolChars(const QString& text)
{
    QString out;
    for (QChar c : text)
        if (c.unicode() < 0x80 && !isAsciiAlnum(c.unicode()))
            out += c;
    return out;
}

QString StripSymbols(const QString& text)
{
    QString out;
    for (QChar c : text)
        if (c.unicode() >= 0x80 || isAsciiAlnum(c.unicode()))
            out += c;
    return out;
}

bool EndsAlphanumeric(const QString& text)
{
    return !text.isEmpty() && isAsciiAlnum(text.back().unicode());
}

QDate ParseShortDate(const QString& text)
{
    const QDate fallback(1990, 1, 1);
    if (text.isEmpty())
        return fallback;
    const auto whole = toNumber(text);
    if (!whole || *whole <= 0)
        return fallback;
    const auto part = [&](int from) { return toNumber(text.mid(from, 2)); };
    const auto yy = part(0);
    if (!yy)
        return fallback;
    const int year = int(*yy) >= 90 ? int(*yy) + 1900 : int(*yy) + 2000;
    const int month = int(part(2).value_or(1));
    const int day = int(part(4).value_or(1));
    const QDate date(year, month, day);
    return date.isValid() ? date : fallback;
}

Parsed<QDate> ParseLongDate(const QString& text)
{
    const QDate fallback(1990, 1, 1);
    if (text.isEmpty())
        return {fallback, false};
    const auto whole = toNumber(text);
    if (!whole)
        return {fallback, true};
    if (*whole <= 0)
        return {fallback, false};
    const auto year = toNumber(text.mid(0, 4));
    const auto month = toNumber(text.mid(4, 2));
    const auto day = toNumber(text.mid(6, 2));
    if (!year || !month || !day)
        return {fallback, false};
    const QDate date{static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day)};
    if (!date.isValid())
        return {fallback, true};
    return {date, false};
}

Parsed<QTime> ParseTime(const QString& text)
{
    const QTime midnight(0, 0, 0);
    const auto whole = toNumber(text);
    if (text.isEmpty() || !whole || *whole < 0)
        return {midnight, false};
    const auto part = [&](int from) { return int(toNumber(text.mid(from, 2)).value_or(0)); };
    const QTime time(part(0), part(2), part(4));
    if (!time.isValid())
        return {midnight, true};
    return {time, false};
}

qint64 Base62Value(const QString& text)
{
    qint64 value = 0;
    for (QChar c : text)
        value = value * 62 + base62Digit(c);
    return value;
}

QString Base62Text(qint64 n)
{
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    QString out;
    while (n > 0) {
        out.prepend(QChar(digits[n % 62]));
        n /= 62;
    }
    return out;
}

QString FractionDigits(qint64 value, qint64 divisor)
{
    if (divisor == 0)
        return "0000";
    qint64 rest = value % divisor;
    if (rest < 0)
        rest += divisor < 0 ? -divisor : divisor;
    const qint64 d = divisor < 0 ? -divisor : divisor;
    // Long division keeps every digit exact, whatever the size of divisor.
    QString out;
    for (int i = 0; i < 4; ++i) {
        rest *= 10;
        out += QChar('0' + int(rest / d));
        rest %= d;
    }
    return out;
}

int RandomPrime()
{
    static const int primes[100] = {
        1009, 1013, 1019, 1021, 1031, 1033, 1039, 1049, 1051, 1061, 1063, 1069, 1087, 1091,
        1093, 1097, 1103, 1109, 1117, 1123, 1129, 1151, 1153, 1163, 1171, 1181, 1187, 1193,
        1201, 1213, 1217, 1223, 1229, 1231, 1237, 1249, 1259, 1277, 1279, 1283, 1289, 1291,
        1297, 1301, 1303, 1307, 1319, 1321, 1327, 1361, 1367, 1373, 1381, 1399, 1409, 1423,
        1427, 1429, 1433, 1439, 1447, 1451, 1453, 1459, 1471, 1481, 1483, 1487, 1489, 1493,
        1499, 1511, 1523, 1531, 1543, 1549, 1553, 1559, 1567, 1571, 1579, 1583, 1597, 1601,
        1607, 1609, 1613, 1619, 1621, 1627, 1637, 1657, 1663, 1667, 1669, 1693, 1697, 1699,
        1709, 1721};
    return primes[QRandomGenerator::global()->bounded(100)];
}

QString ShowControls(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QString("<%1>").arg(c.unicode(), 2, 16, QChar('0')).toUpper();
        else
            out += c;
    }
    return out;
}

} // namespace shell
