#include "shell/replace_file.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace shell {

platform::Result<> ReplaceFile(const QString& from, const QString& to)
{
    // QFile::rename refuses an existing target; POSIX rename replaces it.
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return {};
    return platform::Fail(to + ": " + QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace shell
