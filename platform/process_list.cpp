#include "platform/process_list.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {

QStringList RunningExecutables()
{
    QStringList result;
    const QDir proc("/proc");
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        entry.toInt(&numeric);
        if (!numeric)
            continue;
        QString target = QFileInfo(proc.filePath(entry) + "/exe").symLinkTarget();
        if (target.isEmpty())
            continue;
        // A replaced binary reads "path (deleted)"; it is still that program.
        if (target.endsWith(" (deleted)"))
            target.chop(10);
        result.append(target);
    }
    return result;
}

QString OwnExecutable()
{
    QString target = QFileInfo("/proc/self/exe").symLinkTarget();
    if (target.endsWith(" (deleted)"))
        target.chop(10);
    if (target.isEmpty() && QCoreApplication::instance())
        target = QCoreApplication::applicationFilePath();
    return target;
}

} // namespace platform
