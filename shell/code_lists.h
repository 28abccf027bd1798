#pragma once

#include "shell/import_helpers.h"

class QSqlDatabase;

namespace shell {

// Refills both lists from USERCODE.APID10 and BankCode.ID, each sorted
// case-insensitively. A list whose query fails stays empty; false then.
bool ReloadCodeLists(const QSqlDatabase& db, CodeLists& lists);

} // namespace shell
