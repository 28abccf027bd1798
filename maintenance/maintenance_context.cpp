#include "maintenance/maintenance_context.h"

#include "platform/ini_file.h"
#include "shell/workspace.h"

namespace maintenance {

Media ReadMedia(const shell::Workspace& ws)
{
    platform::IniFile ini(ws.firmIniPath());
    (void)ini.load(); // refused at start when it is no settings file
    Media m;
    m.driveA = shell::WithBackslash(QString::fromUtf8(ini.value("Backup", "DriveA")));
    m.driveB = shell::WithBackslash(QString::fromUtf8(ini.value("Backup", "DriveB")));
    bool ok = false;
    const qint64 size = ini.value("Backup", "DiskSize").trimmed().toLongLong(&ok);
    if (ok && size >= 0)
        m.diskSize = size;
    return m;
}

} // namespace maintenance
