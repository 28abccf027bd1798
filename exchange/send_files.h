#pragma once

#include "consent/consent_request.h"
#include "edi/edi_info.h"
#include "edi/result_files.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace shell {
class Ui;
struct Workspace;
}
namespace store {
class TDM1;
}

// The two halves of an exchange that do not need the link: writing the
// request files of a send, and applying the result files of a receive.
// The transmission screen and the command-line tool share them.
namespace exchange {

struct SendFiles
{
    bool ok = false;
    edi::TEdiInfoList items;             // consent files first, then one per batch
    QList<int> batchIds;                 // the batches written
    QList<qint64> lineIds;               // their lines in the files, no other
    QList<consent::ConsentKey> consents; // the consents written
    QStringList files;                   // full paths
    int lineCount = 0;                   // transfer lines written
};

// Writes the consent request files (when consent sending is on and the
// consent cut-off allows it) and then the transfer request files into the
// send directory. A failure shows the build error and removes every file
// this run wrote, so that nothing half-built can be sent. `divisor` is the
// transfer files' check divisor, 0 to draw one.
SendFiles BuildSendFiles(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                         const QDateTime& prepared, int divisor = 0);
void RemoveSendFiles(const SendFiles& files);

// Records a send that the link took: the batches and exactly the lines the
// files carry become sent, the consents written advance to "등록중" or
// "해지중", all in one transaction. Returns the table whose update failed
// (nothing changed then), or an empty string.
QString RecordSend(QSqlDatabase db, const SendFiles& files);

// Applies the consent results (when consent sending is on) and then the
// transfer results of the workspace's receive directory; each reader shows
// its own errors.
edi::ResultRun ApplyReceivedFiles(store::TDM1& dm, const shell::Workspace& ws);
// The same for files given one by one (a kept answer, repaired or not):
// each is read under the receive file code its name gives, the name itself
// or the name without the ".N" that keeping added; a name that is no
// institution's receive file code is named in the error and changes nothing.
edi::ResultRun ApplyResultFiles(store::TDM1& dm, const shell::Workspace& ws,
                                const QStringList& paths);

// True when some item would show as a row (an item without lines adds none).
bool HasShownRows(const edi::TEdiInfoList& items);

} // namespace exchange
