#pragma once

#include "edi/edi_info.h"
#include "platform/result.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

namespace shell {
class Ui;
}
namespace store {
class TDM1;
}

// What the result readers share: finding the files the link received
// under the institutions' receive file codes, and reporting what could not
// be applied.
namespace edi {

// The receive directory followed by each distinct value of `column` of
// UserCode (APIN for transfers, TREGISTERIN for consents), for the files
// that exist, in code order.
QStringList ReceivedFiles(QSqlDatabase db, const QString& column, const QString& recvDir);

// A result file and the code it answers under (APIN or TREGISTERIN). In
// the receive directory the name is the code; a kept copy given by hand
// ("AB200.1") is not named so.
struct ResultFile
{
    QString path;
    QString code;
};
QList<ResultFile> NamedByCode(const QStringList& paths);
// True when some UserCode row carries `code` in `column` (APIN or TREGISTERIN);
// why not when the table did not read.
platform::Result<bool> IsFileCode(QSqlDatabase db, const QString& column, const QString& code);

struct ResultRun
{
    bool found = false;      // at least one result file was there
    TEdiInfoList items;      // one per block or batch applied
    QStringList failures;    // one per file that was not applied, naming it
    QStringList failedFiles; // the paths of those files
    QStringList notes;       // blocks and records left out of applied files
    QStringList applied;     // files left out because their bytes were applied before

    bool ok() const { return failures.isEmpty(); }
    // One error box for the failed files, one information box for the
    // notes; nothing when all went well.
    void report(shell::Ui& ui) const;
    void fileFailed(const QString& path, const QString& reason);
};

// What applying one received file gave. A file that is not of the kind
// being applied (`recognised` false) is left unread: nothing is kept.
struct FileApplied
{
    bool ok = false;
    bool recognised = true;
    QString reason; // when not ok
    bool engine = false; // the database failed, not the file: it stays waiting
    TEdiInfoList items;
    QStringList notes;
};

// Every answer kept from the link is registered by the hash of its bytes
// (the table ReceivedAnswer), and marked applied in the transaction that
// applies it: an answer whose receive was cut off is applied by the next
// receive, and no answer is applied twice.
// Registers kept copies as waiting to be applied; a file whose bytes are
// known already stays as it was.
platform::Result<> RegisterKeptAnswers(QSqlDatabase db, const QList<ResultFile>& kept);
// The kept answers neither applied nor refused, oldest first.
platform::Result<QList<ResultFile>> PendingAnswers(QSqlDatabase db);

// The one driver of every apply run: under the wait window, each file in
// its own transaction (committed only when the file applied and was
// recognised), the failures, items and notes gathered and reported at the
// end. `apply` runs inside the open transaction; `writeFailure` begins the
// reason of a commit that failed. A file whose bytes were applied before is
// left out with a note; a file applied is marked so in its transaction, one
// refused for what it holds as refused.
ResultRun
ApplyEachFile(store::TDM1& dm, const QList<ResultFile>& files, const QString& writeFailure,
              const std::function<FileApplied(QSqlDatabase& db, const ResultFile& file)>& apply);

QString ReceiveErrorMessage(); // "수신 자료 처리중 오류가 발생하였습니다."

// The record text of a result file cut to a column's width in CP949
// bytes, whole characters only, so that a long field never refuses a row.
QString FitColumn(const QString& text, int width);

} // namespace edi
