#pragma once

#include "maintenance/maintenance_context.h"

namespace maintenance {

// DataDir + "Temp/": the copies of the data a reorganisation reads from.
QString ReorganisationFolder(const shell::Workspace& ws);

// Rebuilds the database from the blank one and moves every table's rows
// back in (added, or updating the row of the same key). The new file is
// built beside the old one and replaces it only when every table came
// across; otherwise the old file stays in use and the error is shown. A
// table the blank database lacks is kept by Pelmar and dropped by Vandry.
// The caller has closed the tables.
bool Reorganise(Context& ctx);

} // namespace maintenance
