#include "edi/answer_blocks.h"

#include "edi/fixed_record.h"
#include "shell/text_helpers.h"

namespace edi {

WideTrailer ReadWideTrailer(const QByteArray& record)
{
    const auto number = [&](int offset, int width) {
        const QByteArray field = record.mid(offset, width);
        bool ok = field.size() == width && shell::IsDigitText(QString::fromLatin1(field));
        const qint64 value = ok ? field.toLongLong(&ok) : -1;
        return ok ? value : qint64(-1);
    };
    WideTrailer t;
    t.records = number(1, 7);
    t.count = number(8, 7);
    t.total = number(15, 15);
    for (int g = 0; g < 3; ++g) {
        t.groupCount[g] = number(30 + 22 * g, 7);
        t.groupSum[g] = number(37 + 22 * g, 15);
    }
    return t;
}

QList<AnswerBlock> ReadAnswerBlocks(const QByteArray& file)
{
    if (!file.startsWith("S999012"))
        return {};
    const RecordSplit split = SplitRecords(file, 198);
    if (!split.error.isEmpty())
        return {};
    QList<AnswerBlock> blocks;
    QString lastKey;
    int recordNo = 0;
    DispatchRecords(
        split.records, RecordMarks::Letters, recordNo,
        [&](const RecordView& rec) {
            AnswerBlock b;
            b.institution = rec.trimmed(8, 10);
            const shell::Parsed<QDate> date = shell::ParseLongDate(rec.trimmed(21, 8));
            if (!date.conversionError && date.value.isValid() && date.value != QDate(1990, 1, 1))
                b.date = date.value;
            blocks.append(b);
            lastKey.clear();
            return true;
        },
        [&](const RecordView& rec) {
            if (blocks.isEmpty() || blocks.last().closed)
                return true;
            const QString key = rec.trimmed(114, 5);
            if (key.isEmpty() || key == lastKey)
                return true;
            lastKey = key;
            const QString digits = QString::number(shell::Base62Value(key)).rightJustified(9, '0');
            const AnswerBatchKey k{digits.left(6), digits.mid(6).toInt()};
            if (!blocks.last().batches.contains(k))
                blocks.last().batches.append(k);
            return true;
        },
        [&](const RecordView& rec) {
            if (!blocks.isEmpty() && !blocks.last().closed) {
                blocks.last().trailer = ReadWideTrailer(rec.bytes());
                blocks.last().closed = true;
            }
            return true;
        });
    return blocks;
}

} // namespace edi
