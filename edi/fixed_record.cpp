#include "edi/fixed_record.h"

#include "shell/codec.h"
#include "shell/text_helpers.h"

namespace edi {

RecordBuilder& RecordBuilder::text(const QString& value, int width)
{
    return bytes(shell::ToCp949(value), width);
}

RecordBuilder& RecordBuilder::bytes(const QByteArray& value, int width)
{
    m_bytes += shell::PadBytes(value, width, true, ' ');
    return *this;
}

RecordBuilder& RecordBuilder::zeroFilled(const QString& value, int width)
{
    m_bytes += shell::PadBytes(shell::ToCp949(value), width, false, '0');
    return *this;
}

RecordBuilder& RecordBuilder::number(qint64 value, int width)
{
    m_bytes += shell::PadBytes(QByteArray::number(value), width, false, '0');
    return *this;
}

RecordBuilder& RecordBuilder::literal(const char* value)
{
    m_bytes += value;
    return *this;
}

RecordBuilder& RecordBuilder::blanks(int count)
{
    m_bytes += QByteArray(count, ' ');
    return *this;
}

RecordBuilder& RecordBuilder::zeros(int count)
{
    m_bytes += QByteArray(count, '0');
    return *this;
}

QString Field(const QByteArray& record, int offset, int width)
{
    return shell::FromCp949(shell::MidBytes(record, offset, width));
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

} // namespace edi
