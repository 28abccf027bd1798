#include "platform/process_lock.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {
namespace {

// A refused process may look while the new holder has the lock but has
// not yet written its name over that of a holder that ended: it looks
// again for up to about a second before it names whatever it found.
constexpr int kLooks = 100;
constexpr useconds_t kLookPause = 10000;

bool isRunning(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

QString systemError(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace

ProcessLock::ProcessLock(QString path) : m_path(std::move(path)) {}

ProcessLock::~ProcessLock()
{
    release();
}

ProcessLock::Result ProcessLock::take(const QString& program)
{
    if (held())
        return Result::Taken;
    m_holder = {};
    m_error.clear();
    const QByteArray name = QFile::encodeName(m_path);
    for (int look = 0;; ++look) {
        // Close-on-exec: a program started from here must not keep the
        // lock after its parent ended. No link is followed, since the file
        // is truncated.
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) {
            m_error = systemError(errno);
            return Result::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            const QByteArray text =
                program.toUtf8() + '\n' + QByteArray::number(qint64(::getpid())) + '\n';
            if (::ftruncate(fd, 0) != 0 ||
                ::pwrite(fd, text.constData(), size_t(text.size()), 0) != text.size()) {
                m_error = systemError(errno);
                ::close(fd);
                return Result::Failed;
            }
            m_fd = fd;
            return Result::Taken;
        }
        const int err = errno;
        ::close(fd);
        if (err != EWOULDBLOCK) {
            m_error = systemError(err);
            return Result::Failed;
        }
        m_holder = ReadHolder(m_path);
        if (isRunning(m_holder.pid))
            return Result::Busy;
        if (look + 1 >= kLooks) {
            m_holder = {}; // a name left by an earlier holder is not this one
            return Result::Busy;
        }
        ::usleep(kLookPause);
    }
}

void ProcessLock::release()
{
    if (m_fd < 0)
        return;
    // The name stays in the file; the lock, not the text, says who holds it.
    ::close(m_fd);
    m_fd = -1;
}

LockHolder ProcessLock::ReadHolder(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(file.read(4096)).split('\n');
    if (lines.size() < 2)
        return {};
    bool ok = false;
    const qint64 pid = lines[1].trimmed().toLongLong(&ok);
    if (!ok || lines[0].trimmed().isEmpty())
        return {};
    return {lines[0].trimmed(), pid};
}

} // namespace platform
