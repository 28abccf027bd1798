#pragma once

#include <QString>
#include <QStringList>

#include <sys/inotify.h>
#include <unistd.h>

#include <QFile>

namespace testing_support {

// What happened to the names of one folder, told by the kernel (inotify)
// and read back afterwards: every event is queued when its call returns,
// so nothing here depends on timing.
class FolderWatch
{
public:
    explicit FolderWatch(const QString& dir) : m_fd(inotify_init1(IN_NONBLOCK))
    {
        if (m_fd >= 0)
            inotify_add_watch(m_fd, QFile::encodeName(dir).constData(), IN_DELETE | IN_MOVED_FROM);
    }
    ~FolderWatch()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool watching() const { return m_fd >= 0; }

    // The names deleted or moved away since the watch began.
    QStringList removed()
    {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
                if (e->len > 0)
                    m_removed.append(QFile::decodeName(e->name));
                at += ssize_t(sizeof(inotify_event) + e->len);
            }
        }
        return m_removed;
    }

private:
    int m_fd;
    QStringList m_removed;
};

} // namespace testing_support
