#pragma once

#include <QByteArray>
#include <QString>

// The one place that converts between text in memory and code page 949,
// the encoding of every file the system reads or writes. Widths, positions
// and lengths in those files count CP949 bytes.
namespace shell {

// Characters that CP949 cannot hold become "?".
QByteArray ToCp949(const QString& text);
// Bytes that are not valid CP949 become U+FFFD.
QString FromCp949(const QByteArray& bytes);

// Length of the text in CP949 bytes.
int Cp949Length(const QString& text);

// True when byte `b` starts a double-byte character.
inline bool IsLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

// The first `count` bytes of CP949 text; a double-byte character that the
// cut would split is left out, so the result never ends in half a character.
QByteArray LeftBytes(const QByteArray& bytes, int count);
// Bytes `start`..`start+count-1` (0-based); a character split at either edge
// is left out.
QByteArray MidBytes(const QByteArray& bytes, int start, int count);

// True when the bytes hold at least one multi-byte UTF-8 sequence and are
// valid UTF-8 throughout: a text saved as UTF-8 where CP949 was expected.
bool IsMultiByteUtf8(const QByteArray& bytes);

} // namespace shell
