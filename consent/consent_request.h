#pragma once

#include "edi/edi_info.h"
#include "platform/result.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace shell {
class Ui;
}

// The consent request files: every consent waiting for registration
// (status 0) or cancellation (status 4) goes into "Register_" + ordinal in
// the send directory, one file per institution, as an envelope line, an S
// record, one D record per consent and an E record. Each consent written
// gets the send time stamp.
namespace consent {

// A consent by its key.
struct ConsentKey
{
    QString Giganid;
    QString Bankcd;
    QString Bankno;
    QString NapbuNO;
    bool operator==(const ConsentKey&) const = default;
};

struct ConsentRequestRun
{
    QDateTime sendTime; // the send time stamp, taken once per send
    QString sendDir;    // ends in the separator
    QString senderId;   // the link's LoginID
};

struct ConsentRequestResult
{
    bool ok = false;
    bool anyWaiting = false;   // some consent waited to be sent
    edi::TEdiInfoList items;   // one per file
    QList<ConsentKey> written; // every consent written, in file order
    QStringList files;         // full paths, in order
    QStringList skipped;       // institutions left out (not registered)
    // Registrations left waiting: not exempt, and no evidence of theirs
    // sent within the seven days and not yet used.
    QList<ConsentKey> withoutEvidence;
};

// True when the bank row "12" has SENDVERSION 1; why not when it did not read.
platform::Result<bool> ConsentSendingOn(QSqlDatabase db);

// Writes the files in one transaction: a failure shows the build error,
// stamps no consent and deletes the files written. Institutions that are
// not registered are left out, with a message, before any file is made for
// them; so is each registration whose evidence does not back it now
// (named in the message and the log), while the others go.
ConsentRequestResult BuildConsentRequests(QSqlDatabase db, shell::Ui& ui,
                                          const ConsentRequestRun& run);

} // namespace consent
