#include "platform/settings_file.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

QString readRefusal(const QString& path, const QString& why)
{
    return QStringLiteral("설정 파일을 읽을 수 없습니다: %1\r%2").arg(path, why);
}

QString notRegular()
{
    return QStringLiteral("일반 파일이 아닙니다.");
}

QString tooLarge(qint64 limit)
{
    return QStringLiteral("파일이 너무 큽니다. (최대 %1 바이트)").arg(limit);
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

Result<std::optional<QByteArray>> ReadSettingsFile(const QString& path, qint64 limit)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::optional<QByteArray>();
        return Fail(readRefusal(path, systemText(errno)));
    }
    // Opening a device or a pipe may already wait or act: never opened.
    if (!S_ISREG(st.st_mode))
        return Fail(readRefusal(path, notRegular()));
    if (st.st_size > limit)
        return Fail(readRefusal(path, tooLarge(limit)));
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::optional<QByteArray>();
        return Fail(readRefusal(path, systemText(errno)));
    }
    // What was opened may not be what was looked at a moment before.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Fail(readRefusal(path, notRegular()));
    }
    QByteArray bytes;
    bytes.resize(qMin<qint64>(st.st_size, limit) + 1);
    qint64 total = 0;
    for (;;) {
        if (total == bytes.size()) {
            if (total > limit)
                break;
            bytes.resize(qMin<qint64>(total * 2, limit + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + total, size_t(bytes.size() - total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return Fail(readRefusal(path, systemText(error)));
        }
        if (n == 0)
            break;
        total += n;
    }
    ::close(fd);
    if (total > limit)
        return Fail(readRefusal(path, tooLarge(limit)));
    bytes.truncate(total);
    return std::optional<QByteArray>(std::move(bytes));
}

Result<> CheckSettingsFileWritable(const QString& path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    if (S_ISLNK(st.st_mode))
        return Fail(QStringLiteral("설정 파일을 쓸 수 없습니다: %1\r"
                                   "링크입니다. 링크가 가리키는 파일에는 쓰지 않습니다.")
                        .arg(path));
    if (!S_ISREG(st.st_mode))
        return Fail(QStringLiteral("설정 파일을 쓸 수 없습니다: %1\r%2").arg(path, notRegular()));
    return {};
}

} // namespace platform
