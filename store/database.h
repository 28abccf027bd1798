#pragma once

#include "platform/result.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <functional>

struct sqlite3;

namespace store {

// The engine's own handle of an open SQLite connection (for its functions,
// hooks and prepared statements), or null for any other.
sqlite3* SqliteHandle(const QSqlDatabase& db);

// Opens (creating when missing) an SQLite file under `connectionName` with
// the engine functions our tables' checks use. The caller owns the name.

platform::Result<> OpenDatabase(const QString& connectionName, const QString& file,
                                bool mustExist = true);
void CloseDatabase(const QString& connectionName);
// Opens `file` on `connectionName` as OpenDatabase does, hands it to `work`
// and closes the connection again once `work` has ended (its handles gone).
// Fails with OpenDatabase's message when the file does not open, else
// returns what `work` returned.
platform::Result<> WithDatabase(const QString& connectionName, const QString& file,
                                const std::function<platform::Result<>(QSqlDatabase&)>& work);

// Registers cp949_len() on an open connection (done by OpenDatabase).
bool RegisterFunctions(QSqlDatabase& db);

// The byte limits of every text field, for every write this connection
// makes: the connection's own triggers on each table of the file (done by
// OpenDatabase and CreateTable; again after a table is rebuilt or another
// connection created one). The file itself carries no such check, so that
// any SQLite tool can write it.
platform::Result<> InstallByteLimits(QSqlDatabase& db);

// What kind of refusal a write met.
// Busy: another connection holds the lock the write needs (SQLite busy or
// locked), which tells nothing about the data itself. ReadOnly, DiskFull and
// Io are the file's or the disk's, not the data's either. Missing is a
// required field left empty (a NOT NULL or CHECK refusal).
enum class WriteFault { None, Duplicate, TooLong, Missing, Busy, ReadOnly, DiskFull, Io, Other };
WriteFault ClassifyError(const QSqlError& error, QString* field = nullptr);

// The user's message for a refused write: "코드가 중복됩니다." for a key
// violation, the field and its limit for an over-long text, BusyMessage()
// for a lock held by another program, "필수항목이 누락되었습니다." for a
// required field, a message of its own for a read-only file, a full disk
// and a read or write error of the file, the engine's text otherwise.
QString WriteErrorMessage(const QSqlError& error);
// True when a table rule (a key, a check, a trigger) refused the row itself;
// any other error is the table's or the file's and stops the work.
bool IsRowRefusal(const QSqlError& error);
// "자료 폴더에 쓸 수 없습니다: FOLDER": the data folder takes no new file
// (the journal of every write), found when the data is opened.
QString ReadOnlyMessage(const QString& folder);

// "자료를 다른 프로그램이 사용하고 있습니다. ..." for a write that met
// another program's lock.
QString BusyMessage();

// A read that the engine refused, as the user is told it: BusyMessage()
// for another program's lock, the engine's text otherwise.
QString ReadFailureMessage(const QSqlError& error);

// Drops trailing blanks, as text fields of the table engine do.
QString TrimRight(const QString& text);

} // namespace store
