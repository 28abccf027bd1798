#include "shell/workspace_lock.h"

#include "shell/workspace.h"

#include <QDir>

namespace shell {

QString WorkspaceLockFileName()
{
    return QStringLiteral("Pelmar.lock");
}

QString WorkspaceLockPath(const Workspace& ws)
{
    return ws.programDir + WorkspaceLockFileName();
}

QString WorkspaceBusyMessage(const platform::LockHolder& holder, const QString& programDir)
{
    const QString who = holder.program.isEmpty()
                            ? QStringLiteral("다른 프로그램이")
                            : QStringLiteral("다른 프로그램(%1, 프로세스 %2)이")
                                  .arg(holder.program)
                                  .arg(holder.pid);
    return who +
           QStringLiteral(" 작업 폴더를 사용 중입니다.\r\r그 프로그램이 끝난 후 다시 "
                          "실행하여 주십시오.\r") +
           QDir::toNativeSeparators(programDir);
}

WorkspaceLock::WorkspaceLock(const Workspace& ws)
    : m_programDir(ws.programDir), m_lock(WorkspaceLockPath(ws))
{
}

bool WorkspaceLock::Take(const QString& program)
{
    m_refusal.clear();
    QDir().mkpath(m_programDir);
    switch (m_lock.take(program)) {
    case platform::ProcessLock::Result::Taken:
        return true;
    case platform::ProcessLock::Result::Busy:
        m_refusal = WorkspaceBusyMessage(m_lock.holder(), m_programDir);
        return false;
    case platform::ProcessLock::Result::Failed:
        break;
    }
    m_refusal = QStringLiteral("작업 폴더를 잠글 수 없습니다.\r") +
                QDir::toNativeSeparators(m_lock.path()) + "\r" + m_lock.errorString();
    return false;
}

} // namespace shell
