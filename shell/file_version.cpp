#include "shell/file_version.h"

#include <QFile>

// Every program linking this file carries its own stamp; `used` keeps the
// linker from dropping it although nothing reads it in memory.
extern "C" {
[[gnu::used]] const char pelmar_file_version_stamp[] = "PELMAR-FILEVERSION:" PELMAR_VERSION;
}

namespace shell {

QString ReadFileVersion(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return {};
    const uchar* data = file.map(0, file.size());
    if (!data)
        return {};
    const QByteArrayView all(reinterpret_cast<const char*>(data), file.size());
    // The prefix also stands alone in the reader's own code; only a prefix
    // followed by a digit is a stamp.
    const QByteArrayView prefix("PELMAR-FILEVERSION:");
    qsizetype at = 0;
    QString version;
    while ((at = all.indexOf(prefix, at)) >= 0) {
        qsizetype p = at + prefix.size();
        if (p < all.size() && all[p] >= '0' && all[p] <= '9') {
            qsizetype end = p;
            while (end < all.size() && end - p < 32
                   && ((all[end] >= '0' && all[end] <= '9') || all[end] == '.'))
                ++end;
            version = QString::fromLatin1(all.sliced(p, end - p));
            break;
        }
        at = p;
    }
    file.unmap(const_cast<uchar*>(data));
    return version;
}

} // namespace shell
