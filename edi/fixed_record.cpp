#include "edi/fixed_record.h"

#include "shell/codec.h"
#include "shell/text_helpers.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace edi {

// Records are written by the hundred thousand: fields go straight into the
// output without a buffer of their own.
void RecordBuilder::put(const char* data, qsizetype size, int width, bool leftAlign, char filler)
{
    if (width <= 0)
        return;
    if (size > width) {
        *m_out += shell::PadBytes(QByteArray(data, size), width, leftAlign, filler);
        return;
    }
    // One growth and plain copies: QByteArray's own fill goes through a
    // general insert, a noticeable part of a month's request files.
    const qsizetype at = m_out->size();
    m_out->resize(at + width);
    char* out = m_out->data() + at;
    const qsizetype fill = width - size;
    std::memset(leftAlign ? out + size : out, filler, size_t(fill));
    std::memcpy(leftAlign ? out : out + fill, data, size_t(size));
    // A line end in a value would split the record; the read-back before a
    // send finds the value wrong instead.
    shell::BlankControlBytes(leftAlign ? out : out + fill, size);
}

void RecordBuilder::putNumber(const char* data, qsizetype size, int width)
{
    if (width > 0 && size > width) {
        if (m_tooWide.isEmpty())
            m_tooWide =
                shell::TooWideNumberMessage(shell::FromCp949(QByteArray(data, size)), width);
        m_out->append(width, '0');
        return;
    }
    put(data, size, width, false, '0');
}

RecordBuilder& RecordBuilder::text(const QString& value, int width)
{
    char ascii[64];
    const qsizetype n = value.size();
    bool plain = n <= qsizetype(sizeof ascii);
    for (qsizetype i = 0; plain && i < n; ++i) {
        const char16_t c = value[i].unicode();
        plain = c < 0x80;
        ascii[i] = char(c);
    }
    if (plain) {
        put(ascii, n, width, true, ' ');
        return *this;
    }
    return bytes(shell::ToCp949(value), width);
}

RecordBuilder& RecordBuilder::bytes(const QByteArray& value, int width)
{
    put(value.constData(), value.size(), width, true, ' ');
    return *this;
}

RecordBuilder& RecordBuilder::zeroFilled(const QString& value, int width)
{
    const QByteArray bytes = shell::ToCp949(value);
    putNumber(bytes.constData(), bytes.size(), width);
    return *this;
}

RecordBuilder& RecordBuilder::number(qint64 value, int width)
{
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    putNumber(digits, end - digits, width);
    return *this;
}

RecordBuilder& RecordBuilder::literal(const char* value)
{
    m_out->append(value);
    return *this;
}

RecordBuilder& RecordBuilder::blanks(int count)
{
    m_out->append(count, ' ');
    return *this;
}

RecordBuilder& RecordBuilder::zeros(int count)
{
    m_out->append(count, '0');
    return *this;
}

QString Field(const QByteArray& record, int offset, int width)
{
    return shell::FromCp949(shell::MidBytes(record, offset, width));
}

RecordView::RecordView(const QByteArray& record) : m_bytes(record) {}

QString RecordView::field(int offset, int width) const
{
    if (offset < 0 || width <= 0 || offset >= m_bytes.size())
        return {};
    const qsizetype size = qMin<qsizetype>(width, m_bytes.size() - offset);
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_bytes.constData());
    const bool plain = std::all_of(bytes + offset, bytes + offset + size,
                                   [](unsigned char b) { return b < 0x80; });
    // The field begins a character unless the run of possible lead bytes
    // just before it is odd: its last byte then pairs with the field's first.
    qsizetype leads = 0;
    while (leads < offset && shell::IsLeadByte(bytes[offset - leads - 1]))
        ++leads;
    if (!plain || leads % 2 != 0)
        return Field(m_bytes, offset, width);
    return QString::fromLatin1(m_bytes.constData() + offset, size);
}

QString RecordView::byteAt(int offset) const
{
    if (offset < 0 || offset >= m_bytes.size())
        return {};
    const unsigned char b = static_cast<unsigned char>(m_bytes[offset]);
    if (b >= 0x80)
        return {};
    return QString(QChar(b));
}

RecordSplit SplitRecords(const QByteArray& file, int width)
{
    RecordSplit out;
    if (file.isEmpty()) {
        out.error = QStringLiteral("빈 파일입니다.");
        return out;
    }
    const qsizetype block = width + 2;
    qsizetype pos = 0;
    while (file.size() - pos >= block) {
        if (file.at(pos + width) != '\r' || file.at(pos + width + 1) != '\n') {
            out.error = QString("%1번째 레코드의 길이가 %2 바이트가 아닙니다.")
                            .arg(out.records.size() + 1)
                            .arg(width);
            out.records.clear();
            return out;
        }
        out.records.append(file.mid(pos, width));
        pos += block;
    }
    const QByteArray tail = file.mid(pos);
    if (tail.size() == width) {
        out.records.append(tail); // the last record without its line end
    } else {
        // Line ends, blanks and an end-of-file mark after the last record
        // are harmless; anything else is a record that was cut off.
        for (char c : tail) {
            if (c != '\r' && c != '\n' && c != ' ' && c != '\x1a') {
                out.records.clear();
                out.error = QString("마지막 레코드가 잘렸습니다. (%1 바이트)").arg(tail.size());
                return out;
            }
        }
    }
    if (out.records.isEmpty())
        out.error = QStringLiteral("처리할 레코드가 없습니다.");
    return out;
}

QString MissingTrailerMessage()
{
    return QStringLiteral("마지막 블록에 종료 레코드가 없습니다. 파일이 잘렸을 수 있습니다.");
}

} // namespace edi
