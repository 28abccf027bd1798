#pragma once

#include "platform/result.h"

#include <QString>

namespace shell {

// Renames `from` onto `to`, replacing a file there in one step: at every
// moment `to` is either the old file or the new one, so a failed rename
// leaves the old file as it was. Both lie in the same folder. A failure
// names `to` and the system's reason.
platform::Result<> ReplaceFile(const QString& from, const QString& to);

} // namespace shell
