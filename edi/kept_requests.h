#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

// The transfer request files kept from earlier sends (Send/Old/YYYYMMDD/).
// A batch that is sent again gets a new batch key, so an answer to the
// earlier file names a key that no batch carries any more; the kept file of
// that send still says which lines the key stood for.
namespace edi {

struct KeptLine
{
    int sequence = 0; // the D record's number in its file
    QString account;  // without "-"
    qint64 amount = 0;
    QString dong;
    QString ho;
};

class KeptRequests
{
public:
    explicit KeptRequests(const QString& keptDir) : m_keptDir(keptDir) {}

    // The lines written under the batch key `key` (its value) in the newest
    // kept file of institution `code` and transfer date `date`; empty when
    // no kept file carries the key. The first call reads the S record of
    // every kept file; a file's data records are read only when its
    // institution and date are asked for, and then once.
    QList<KeptLine> Lines(const QString& code, const QDate& date, qint64 key);

private:
    struct Head
    {
        QString path;
        QString code;
        QDate date;
    };
    void readHeads();
    const QHash<qint64, QList<KeptLine>>& batchesOf(const QString& path);

    QString m_keptDir;
    bool m_read = false;
    QList<Head> m_heads; // newest day first
    QHash<QString, QHash<qint64, QList<KeptLine>>> m_batches;
};

} // namespace edi
