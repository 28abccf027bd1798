#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace store {

// Brings each table's definition in the file in line with the layout, keeping
// every row: a table whose checks call a function of this program (which
// other SQLite tools lack, so they could not write it) is rebuilt without
// them, and a named index over other columns than the layout's (APIDIX of the
// oldest layout, over APID) is built again. Ends by renewing the connection's
// byte-limit triggers. Nothing when it is done, else the step at which it
// stopped.
struct FailedStep
{
    QString step;
    QString error; // the engine's text
};
std::optional<FailedStep> RepairTableLayouts(QSqlDatabase& db);

} // namespace store
