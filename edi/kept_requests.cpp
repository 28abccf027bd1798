#include "edi/kept_requests.h"

#include "edi/fixed_record.h"
#include "shell/text_helpers.h"

#include <QDir>
#include <QFile>

namespace edi {
namespace {

constexpr int kRecord = 198;

// The records of a request file after its envelope line.
QByteArray recordsOf(const QByteArray& bytes)
{
    if (!bytes.startsWith("<<"))
        return bytes;
    const qsizetype end = bytes.indexOf("\r\n");
    return end < 0 ? QByteArray() : bytes.mid(end + 2);
}

} // namespace

void KeptRequests::readHeads()
{
    m_read = true;
    QDir root(m_keptDir);
    const QStringList days =
        root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
    for (const QString& day : days) {
        const QDir dir(root.filePath(day));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            // The envelope line, then the S record: one institution and
            // transfer date per file.
            const QByteArray s = recordsOf(file.read(400)).left(kRecord);
            if (s.size() < kRecord || !s.startsWith("S999012"))
                continue; // a consent request file or anything else
            Head h;
            h.path = file.fileName();
            h.code = TrimmedField(s, 8, 10);
            h.date = QDate::fromString(Field(s, 21, 8), "yyyyMMdd");
            m_heads.append(h);
        }
    }
}

const QHash<qint64, QList<KeptLine>>& KeptRequests::batchesOf(const QString& path)
{
    const auto it = m_batches.constFind(path);
    if (it != m_batches.constEnd())
        return *it;
    QHash<qint64, QList<KeptLine>>& batches = m_batches[path];
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return batches;
    const RecordSplit split = SplitRecords(recordsOf(file.readAll()), kRecord);
    for (const QByteArray& raw : split.records) {
        if (!raw.startsWith('D'))
            continue;
        const RecordView rec(raw);
        KeptLine l;
        l.sequence = rec.trimmed(1, 7).toInt();
        l.account = rec.trimmed(26, 16);
        l.amount = rec.trimmed(42, 13).toLongLong();
        l.dong = rec.trimmed(119, 5);
        l.ho = rec.trimmed(124, 5);
        batches[shell::Base62Value(rec.trimmed(114, 5))].append(l);
    }
    return batches;
}

QList<KeptLine> KeptRequests::Lines(const QString& code, const QDate& date, qint64 key)
{
    if (!m_read)
        readHeads();
    for (const Head& h : m_heads) {
        if (h.date != date || h.code.compare(code, Qt::CaseInsensitive) != 0)
            continue;
        const QList<KeptLine> lines = batchesOf(h.path).value(key);
        if (!lines.isEmpty())
            return lines;
    }
    return {};
}

} // namespace edi
