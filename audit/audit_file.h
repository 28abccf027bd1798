#pragma once

#include "platform/result.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>

namespace shell {
struct Workspace;
}

// The change record: who changed what, when. It lives in Data/Audit.db
// beside the data, attached to the program's own connection as `audit`, so
// that its rows are written in the transaction of the change they record.
namespace audit {

// "Audit.db" in the data folder.
QString AuditFile(const QString& dataDir);

// Each recording program calls this once, right after loading its
// workspace: `program` names it in every row ("Pelmar", "Vandry",
// "pelmar-tool"); from then on every opening of the workspace's data (the
// data module's main connection) attaches the record. `report` is told, once
// in the process, that the record file was missing or unreadable and a new
// chain was started; the program shows it and works on.
void Start(const QString& program, const shell::Workspace& ws,
           std::function<void(const QString& message)> report);

// The benchmarks' switch, and only theirs: while off, an opening of the data
// attaches no record and nothing is recorded, to time the same work with
// and without the record in one run. Takes effect at the next opening.
void SetRecordingForBenchmark(bool on);

// What Start hangs on the data module: attaches dataDir's record to `db`
// (a fresh chain when the file is missing or unreadable) and installs the
// triggers that record each change of the recorded tables. A connection to
// another folder (a reorganisation's new file) is left alone. Fails, with the
// user's message, when the record can be neither used nor started anew.
platform::Result<> Attach(QSqlDatabase& db, const QString& dataDir);

// True when `db` has the record attached.
bool IsAttached(const QSqlDatabase& db);

// The message a failed read or write of the record file gives the user.
QString FailureMessage(const QString& engineText);

} // namespace audit
