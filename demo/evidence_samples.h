#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QRandomGenerator>
#include <QString>

// Small but genuine evidence files for the demo installation, each a file
// that the matching program opens: a scanned form, a signed consent, a
// recorded call, an electronic document.
namespace demo {

// What the evidence is about, for the files that name it.
struct EvidenceSubject
{
    QString institution; // code
    QString payer;       // payer number
    QString name;
    QString bankCode;
    QString account;
    QDateTime signedAt;
};

// An uncompressed 8-bit grey TIFF of a filled-in consent form with a signature.
QByteArray ScannedForm(QRandomGenerator& rng);
// A DER-encoded signed consent statement (a few hundred bytes).
QByteArray SignedConsent(QRandomGenerator& rng, const EvidenceSubject& subject);
// A mono 8 kHz WAV; `tones` gives keypad tones (an ARS call) instead of a voice.
QByteArray Recording(QRandomGenerator& rng, bool tones);
// The consent statement as a text document in code page 949.
QByteArray ConsentDocument(const EvidenceSubject& subject);

} // namespace demo
