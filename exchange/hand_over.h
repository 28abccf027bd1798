#pragma once

#include "exchange/send_files.h"
#include "platform/result.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace edi {
class Link;
}
namespace shell {
class Ui;
struct Workspace;
} // namespace shell
namespace store {
class TDM1;
}

// The hand-over journal. Before the link is given a send's request files,
// one committed transaction records what is about to leave: each file's
// name, file code, size and hash, its institution and date, and the
// batches, lines and consents it carries. The send's record closes the
// entry in its own transaction. An entry found open later (the program was
// killed, the power went, the link failed part way) is settled from the
// link's transmission report before anything else is built or sent, so
// that nothing that left is built and sent a second time.
namespace exchange {

// Opens an entry for `files`; its number, or why it could not be written
// (then nothing may be handed over).
platform::Result<qint64> OpenHandOver(QSqlDatabase db, const SendFiles& files,
                                      const QDateTime& prepared);

// Records a send that the link took: the batches and exactly the lines the
// files carry become sent, the consents written advance to "등록중" or
// "해지중", and the journal entry `journal` (0: none) is closed with the
// files of `files` as sent, all in one transaction. Returns the table
// whose update failed (nothing changed then), or an empty string.
QString RecordSend(QSqlDatabase db, const SendFiles& files, qint64 journal);

// What settling the open entries came to.
struct HandOverCheck
{
    bool clear = true;   // no entry is left open: sending may go on
    bool unread = false; // the journal or the tables did not read: nothing may go on
    QStringList settled; // one line per file decided, for the screen and the log
    QStringList held;    // the batches of an entry that stays open
    QString message;     // what to tell the user; empty when nothing was open
};

// Settles every open entry from the link's transmission report: each file
// the report shows (its file code, sent at or after the entry was made, its
// size) is recorded as a successful send would have recorded it; the others
// are left waiting for the next send. When the report cannot be had the
// entries stay open and their batches are named. Logs what was decided.
HandOverCheck SettleOpenHandOvers(store::TDM1& dm, edi::Link& link, const shell::Workspace& ws);

// True when some entry is open.
platform::Result<bool> HasOpenHandOver(QSqlDatabase db);

// Settles the open entries, if any, and tells the user (through the data
// module's Ui) what was decided: at a program's start, and after a link
// send that failed, when some files may have gone. False when the journal
// did not read (said as well): the work it was to precede must not start.
bool SettleAndTell(store::TDM1& dm, edi::Link& link, const shell::Workspace& ws);

} // namespace exchange
