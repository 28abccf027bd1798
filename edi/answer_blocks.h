#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

// What a kept 200-byte transfer answer states, block by block, without
// applying it: the institution and transfer date of each header, the batch
// keys its data records answer, and what its trailer says they add up to.
// The apply checks the trailer against the data records with the same
// reading (ReadWideTrailer); the collection report checks it against the
// lines stored since.
namespace edi {

// The count and totals a 200-byte trailer record states; -1 for a field
// that is not all digits.
struct WideTrailer
{
    qint64 records = -1; // the data records plus header and trailer
    qint64 count = -1;
    qint64 total = -1;
    qint64 groupCount[3] = {-1, -1, -1};
    qint64 groupSum[3] = {-1, -1, -1};
};
WideTrailer ReadWideTrailer(const QByteArray& record);

// A batch as an answer names it: the send time (HHMMSS) and the run's number.
struct AnswerBatchKey
{
    QString sendTime;
    int number = 0;
    bool operator==(const AnswerBatchKey& o) const
    {
        return sendTime == o.sendTime && number == o.number;
    }
};

struct AnswerBlock
{
    QString institution;           // as the header writes it
    QDate date;                    // invalid when the header carries none
    QList<AnswerBatchKey> batches; // in the order first met
    WideTrailer trailer;
    bool closed = false; // a trailer ended the block
};

// The blocks of a 200-byte answer file's bytes; empty for any other file
// (the 80-byte trailer states nothing to compare) or one that does not
// split into records.
QList<AnswerBlock> ReadAnswerBlocks(const QByteArray& file);

} // namespace edi
