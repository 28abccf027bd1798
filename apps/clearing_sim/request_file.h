#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The clearing centre's reading of a request file. It is written apart
// from the program's own writers, from the published layouts, so that a
// fault in one shows up as a rejected file instead of being mirrored.
namespace sim {

enum class RequestKind { Transfer, Consent };

struct Request
{
    RequestKind kind = RequestKind::Transfer;
    QString fileCode;        // from the envelope line
    QString institution;     // from the S record
    QByteArray header;       // the S record
    QList<QByteArray> lines; // the D records, in order
    QByteArray trailer;      // the E record
};

struct ParsedRequest
{
    bool ok = false;
    QString reason; // why the file is not a request the centre can answer
    Request request;
};

ParsedRequest ParseRequest(const QByteArray& file);

} // namespace sim
