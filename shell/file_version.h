#pragma once

#include <QString>

namespace shell {

// The version a program or library of this system carries: our builds
// embed a "PELMAR-FILEVERSION:" stamp followed by the version. A file
// without one (or missing) gives an empty text.
QString ReadFileVersion(const QString& path);

} // namespace shell
