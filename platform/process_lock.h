#pragma once

#include <QString>

namespace platform {

// Who holds a process lock, as the holder wrote it into the lock file.
struct LockHolder
{
    QString program; // empty when the file names nobody (yet)
    qint64 pid = 0;
};

// An exclusive lock on a file (flock) that the system drops when the
// holding process ends, however it ends: a killed holder leaves nothing
// behind that keeps the others out. The holder writes its program name and
// process id into the file, so that a refused process can name it. The
// file itself stays; removing it would let two processes hold two files.
class ProcessLock
{
public:
    enum class Result { Taken, Busy, Failed };

    explicit ProcessLock(QString path);
    ~ProcessLock();
    ProcessLock(const ProcessLock&) = delete;
    ProcessLock& operator=(const ProcessLock&) = delete;

    // Takes the lock for `program` without waiting. Busy: holder() says
    // who has it (nobody when the file names no running process). Failed: the file could not be
    // opened or written (errorString()).
    Result take(const QString& program);
    void release();

    bool held() const { return m_fd >= 0; }
    const QString& path() const { return m_path; }
    const LockHolder& holder() const { return m_holder; }
    const QString& errorString() const { return m_error; }

    // The holder the file names, whether or not it still runs.
    static LockHolder ReadHolder(const QString& path);

private:
    QString m_path;
    int m_fd = -1;
    LockHolder m_holder;
    QString m_error;
};

} // namespace platform
