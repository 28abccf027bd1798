#pragma once

#include <QString>

namespace shell {

// Renames `from` onto `to`, replacing a file there in one step: at every
// moment `to` is either the old file or the new one, so a failed rename
// leaves the old file as it was. Both lie in the same folder.
bool ReplaceFile(const QString& from, const QString& to, QString* error = nullptr);

} // namespace shell
