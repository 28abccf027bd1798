#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Fixed-width records of the request and result files: fields counted in
// CP949 bytes, text blank-padded on the right, numbers zero-filled on the
// left, an over-long text cut to its first bytes. A number is never cut:
// the builder notes it (tooWide) and the writer refuses the record. A
// control character in a value is written as a blank, so that a record is
// never split.
namespace edi {

class RecordBuilder
{
public:
    explicit RecordBuilder(int reserve = 200) : m_out(&m_own) { m_own.reserve(reserve); }
    // Appends to `target` instead (a whole file being built).
    explicit RecordBuilder(QByteArray& target) : m_out(&target) {}
    RecordBuilder(const RecordBuilder&) = delete;
    RecordBuilder& operator=(const RecordBuilder&) = delete;

    RecordBuilder& text(const QString& value, int width);
    RecordBuilder& bytes(const QByteArray& value, int width);
    // Digits (or any text) right-aligned with "0" in front.
    RecordBuilder& zeroFilled(const QString& value, int width);
    RecordBuilder& number(qint64 value, int width);
    RecordBuilder& literal(const char* value);
    RecordBuilder& blanks(int count);
    RecordBuilder& zeros(int count);

    const QByteArray& record() const { return *m_out; }
    // Why the record may not be written: the first number or zero-filled
    // value wider than its field (written as zeros); empty when none was.
    const QString& tooWide() const { return m_tooWide; }

private:
    void put(const char* data, qsizetype size, int width, bool leftAlign, char filler);
    void putNumber(const char* data, qsizetype size, int width);

    QByteArray m_own;
    QByteArray* m_out;
    QString m_tooWide;
};

// The field at `offset` (0-based) of `width` bytes, decoded; a double-byte
// character cut by either edge of the field is left out. Short records give
// what is there.
QString Field(const QByteArray& record, int offset, int width);
inline QString TrimmedField(const QByteArray& record, int offset, int width)
{
    return Field(record, offset, width).trimmed();
}

// One received record, read field by field. Fields of plain characters
// (the common case, also in records that carry a Korean name elsewhere)
// are cut without converting or searching the record for character edges.
class RecordView
{
public:
    explicit RecordView(const QByteArray& record);

    const QByteArray& bytes() const { return m_bytes; }
    QString field(int offset, int width) const;
    QString trimmed(int offset, int width) const { return field(offset, width).trimmed(); }
    // The byte at `offset` as a character when it is a single-byte one;
    // empty for half of a double-byte character or beyond the end.
    QString byteAt(int offset) const;

private:
    QByteArray m_bytes;
};

// A file cut into records of `width` bytes, each followed by CR LF. The
// last record may lack its line end; trailing line ends and blanks are
// ignored. `error` says what is wrong with a file that cannot be read
// this way (empty, no records, a record of the wrong length, a cut-off
// last record); `records` is then empty.
struct RecordSplit
{
    QList<QByteArray> records; // without line ends
    QString error;
};

RecordSplit SplitRecords(const QByteArray& file, int width);

// How a result file marks its header, data and trailer records: by the
// first letter (S, D, E) or by the first two digits (11, 22, 33).
enum class RecordMarks { Letters, Digits };

// Hands each record of a split result file, in order, to the handler of its
// kind; records of any other kind are passed over. `recordNo` counts the
// record being handled (for the handlers' messages) and is reset after the
// last. Stops and returns false as soon as a handler does. Each handler is
// given the record.
template <typename OnHeader, typename OnData, typename OnTrailer>
bool DispatchRecords(const QList<QByteArray>& records, RecordMarks marks, int& recordNo,
                     OnHeader&& onHeader, OnData&& onData, OnTrailer&& onTrailer)
{
    for (const QByteArray& raw : records) {
        ++recordNo;
        const RecordView rec(raw);
        bool ok = true;
        if (marks == RecordMarks::Letters) {
            switch (raw.at(0)) {
            case 'S':
                ok = onHeader(rec);
                break;
            case 'D':
                ok = onData(rec);
                break;
            case 'E':
                ok = onTrailer(rec);
                break;
            default:
                break;
            }
        } else {
            const QByteArray kind = raw.left(2);
            if (kind == "11")
                ok = onHeader(rec);
            else if (kind == "22")
                ok = onData(rec);
            else if (kind == "33")
                ok = onTrailer(rec);
        }
        if (!ok)
            return false;
    }
    recordNo = 0;
    return true;
}

// Said of a result file whose last block has no trailer.
QString MissingTrailerMessage();

} // namespace edi
