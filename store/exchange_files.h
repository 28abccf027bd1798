#pragma once

#include "platform/result.h"

#include "shell/file_helpers.h"

#include <QSqlDatabase>

namespace shell {
struct Workspace;
}

namespace store {

// What the program and the link may write into the send, receive and result
// folders, with the institutions' file codes of UserCode on `db`; why not
// when the table did not read (then no file may be taken for the program's).
platform::Result<shell::ExchangeFileNames> ExchangeFileNamesOf(QSqlDatabase db);
// The same, read from the workspace's database on a connection of its own
// (the link settings are checked where no data module is at hand); the
// fixed names alone when there is no database to read.
platform::Result<shell::ExchangeFileNames> ExchangeFileNamesOf(const shell::Workspace& ws);

} // namespace store
