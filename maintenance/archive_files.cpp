#include "maintenance/archive_files.h"

#include "shell/workspace.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

namespace maintenance {

QString TemporaryArchivePath(const shell::Workspace& ws)
{
    QElapsedTimer clock;
    clock.start(); // the monotonic clock counts from the system's start
    qint64 ms = clock.msecsSinceReference();
    QString path;
    do
        path = ws.programDir + QString::number(ms++) + ".zip";
    while (QFileInfo::exists(path));
    return path;
}

bool CopyBytes(QIODevice& in, QIODevice& out, qint64 length)
{
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    while (length > 0) {
        const qint64 n = in.read(buffer.data(), qMin<qint64>(buffer.size(), length));
        if (n <= 0 || out.write(buffer.constData(), n) != n)
            return false;
        length -= n;
    }
    return true;
}

QString FindFileNoCase(const QString& dir, const QString& name)
{
    if (QFileInfo(dir + name).isFile())
        return dir + name;
    const QStringList files = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    for (const QString& f : files)
        if (f.compare(name, Qt::CaseInsensitive) == 0)
            return dir + f;
    return dir + name;
}

} // namespace maintenance
