#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QString>

// The envelope header line that starts every file handed to the EDI link.
// It tells the link what the file is (file code), who sends it and for
// which trading bank; the link checks it before the transfer.
namespace shell {

struct Envelope
{
    QByteArray marker = "<<NEHEAD>>"; // "<<SMHEAD>>" for consent requests
    char recordKind = '1';
    char dataKind = 'N';
    qint64 size = 0; // written as ten digits
    QString senderId;
    QString fileCode;
    QString bankId;
};

inline constexpr int kEnvelopeWidth = 61;

// The 61-byte line, without its line end; refused when the size does not
// fit its ten digits (never cut).
platform::Result<QByteArray> EnvelopeLine(const Envelope& envelope);

// The file code a file's envelope line names, as the link reports it;
// empty when the file does not start with one.
QString EnvelopeFileCode(const QByteArray& head);

} // namespace shell
