#pragma once

#include "platform/process_lock.h"

#include <QString>

namespace shell {

struct Workspace;

// One writer at a time on a workspace. Pelmar and Vandry hold the lock for
// their whole run, pelmar-tool for each command that writes; a program that
// cannot take it writes nothing and says who holds the workspace.
class WorkspaceLock
{
public:
    // The lock of `ws` (its ProgramDir).
    explicit WorkspaceLock(const Workspace& ws);

    // Takes the workspace for `program` (the folder is made when missing).
    // False: refusal() is the message to show.
    bool Take(const QString& program);
    void Release() { m_lock.release(); }
    bool Held() const { return m_lock.held(); }
    const QString& refusal() const { return m_refusal; }

private:
    QString m_programDir;
    platform::ProcessLock m_lock;
    QString m_refusal;
};

// "Pelmar.lock" in ProgramDir.
QString WorkspaceLockFileName();
QString WorkspaceLockPath(const Workspace& ws);

// "다른 프로그램(Pelmar, 프로세스 1234)이 작업 폴더를 사용 중입니다." and what to do.
QString WorkspaceBusyMessage(const platform::LockHolder& holder, const QString& programDir);

} // namespace shell
