#pragma once

#include "consent/consent_request.h"
#include "edi/edi_info.h"
#include "edi/result_files.h"
#include "platform/result.h"
#include "shell/kept_files.h"

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

// One request file of a send and what it carries, as the hand-over
// journal records it.
struct RequestFile
{
    QString path;
    int kind = edi::KindUnknown;
    QList<int> batchIds;                    // transfer files
    QList<QList<qint64>> lineIds;           // per batch, the lines the file carries
    QList<consent::ConsentKey> consents;    // consent files
};

struct SendFiles
{
    bool ok = false;
    edi::TEdiInfoList items;             // consent files first, then one per batch
    QList<int> batchIds;                 // the batches written
    QList<qint64> lineIds;               // their lines in the files, no other
    QList<consent::ConsentKey> consents; // the consents written
    QStringList files;                   // full paths
    QList<RequestFile> requestFiles;     // the same files with what each carries
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

// Keeps every file of the receive directory under Recv/Old and registers
// the answers among them (named by a receive file code; consent answers
// only while consent sending is on) as waiting to be applied. Before the
// folder is emptied and after the link filled it.
struct KeptAnswers
{
    shell::KeptFiles kept;
    QList<edi::ResultFile> answers; // the kept copies of the answers
};
platform::Result<KeptAnswers> KeepReceivedAnswers(QSqlDatabase db, const shell::Workspace& ws);

// Applies every kept answer that waits and those of `fetched` (consent
// results first); a file applied before is left out and named in the run's
// `applied`. Each reader shows its own errors.
edi::ResultRun ApplyPendingAnswers(store::TDM1& dm, const shell::Workspace& ws,
                                   const QList<edi::ResultFile>& fetched = {});

// Both, for the receive directory as it stands.
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
