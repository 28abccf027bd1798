#include "platform/default_profile.h"

#include <QDir>

namespace platform {

QString DefaultProfileFile(const QString& name)
{
    QString dir = QString::fromLocal8Bit(qgetenv("PELMAR_REGISTRY_DIR"));
    if (dir.isEmpty())
        dir = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    if (dir.isEmpty())
        dir = QDir::homePath() + "/.config";
    return QDir(dir).filePath(name);
}

} // namespace platform
