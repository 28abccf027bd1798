#pragma once

#include <QString>

namespace platform {

// Where a profile file named without a folder lives (the place the
// platform keeps such files for every program): the registry folder when
// PELMAR_REGISTRY_DIR is set, else $XDG_CONFIG_HOME (default ~/.config).
QString DefaultProfileFile(const QString& name);

} // namespace platform
