#include "shell/replace_file.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace shell {

bool ReplaceFile(const QString& from, const QString& to, QString* error)
{
    // QFile::rename refuses an existing target; POSIX rename replaces it.
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    if (error)
        *error = to + ": " + QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

} // namespace shell
