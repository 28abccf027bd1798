#pragma once

#include "platform/result.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace store {

// Opens (creating when missing) an SQLite file under `connectionName` with
// the engine functions our tables' checks use. The caller owns the name.

platform::Result<> OpenDatabase(const QString& connectionName, const QString& file,
                                bool mustExist = true);
void CloseDatabase(const QString& connectionName);

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
// locked), which tells nothing about the data itself.
enum class WriteFault { None, Duplicate, TooLong, Missing, Busy, Other };
WriteFault ClassifyError(const QSqlError& error, QString* field = nullptr);

// The user's message for a refused write: "코드가 중복됩니다." for a key
// violation, the field and its limit for an over-long text, BusyMessage()
// for a lock held by another program, "필수항목이 누락되었습니다." otherwise.
QString WriteErrorMessage(const QSqlError& error);

// "자료를 다른 프로그램이 사용하고 있습니다. ..." for a write that met
// another program's lock.
QString BusyMessage();

// Drops trailing blanks, as text fields of the table engine do.
QString TrimRight(const QString& text);

} // namespace store
