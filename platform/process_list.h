#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Executable paths of the running processes (from /proc/*/exe). Processes
// of other users whose link cannot be read are left out.
QStringList RunningExecutables();

// The absolute path of this process's executable.
QString OwnExecutable();

} // namespace platform
