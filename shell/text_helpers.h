#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

// Small text, date and number helpers. Lengths and widths count CP949 bytes.
namespace shell {

// Longer than `width`: cut to `width` bytes (a double-byte character split
// by the cut becomes a blank, so the width holds); otherwise filled with
// blanks (PadText) or "0" (PadZeros) after the text when `leftAlign`,
// before it otherwise.
QString PadText(const QString& text, int width, bool leftAlign);
QString PadZeros(const QString& text, int width, bool leftAlign);
// The same on CP949 bytes, for building fixed-width records: `bytes` cut to
// `width` (a split double-byte character becomes a blank) or filled with
// `filler` after (leftAlign) or before the value.
// Both put a blank for every control character (IsControlByte): a line end
// inside a value would split its record in two.
QByteArray PadBytes(const QByteArray& bytes, int width, bool leftAlign, char filler);
// A number for a fixed-width field, zero-filled in front; nullopt when its
// digits are wider than the field. A number is never cut: the writer
// refuses its file instead (TooWideNumberMessage says why).
std::optional<QByteArray> NumberField(qint64 value, int width);
QString TooWideNumberMessage(qint64 value, int width);
QString TooWideNumberMessage(const QString& value, int width);

// A byte below the blank, or DEL. No CP949 trail byte is one of them.
inline bool IsControlByte(unsigned char b)
{
    return b < 0x20 || b == 0x7f;
}
// Puts a blank in place of every control byte of `data`.
void BlankControlBytes(char* data, qsizetype size);

QString RemoveChar(const QString& text, QChar ch);
QString DigitsOnly(const QString& text);
bool IsDigitText(const QString& text);
bool HasDoubleByte(const QString& text);
QString SymbolChars(const QString& text);
QString StripSymbols(const QString& text);
bool EndsAlphanumeric(const QString& text);

// A parsed value, or a conversion error for the caller to report.
template <typename T>
struct Parsed
{
    T value{};
    bool conversionError = false;
};

QDate ParseShortDate(const QString& yymmdd);
Parsed<QDate> ParseLongDate(const QString& yyyymmdd);
Parsed<QTime> ParseTime(const QString& hhmmss);

qint64 Base62Value(const QString& text);
QString Base62Text(qint64 n);
QString FractionDigits(qint64 value, qint64 divisor);
int RandomPrime();

// A value as a message shows it: each control character as "<0A>".
QString ShowControls(const QString& text);

} // namespace shell
