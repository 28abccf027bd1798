#include "shell/file_helpers.h"

#include "platform/process_list.h"
#include "shell/log.h"
#include "shell/ui.h"
#include "shell/workspace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

namespace shell {
namespace {

void (*g_discardInput)() = nullptr;

QStringList matching(const QString& dir, const QString& mask)
{
    const QString filter = (mask == "*.*") ? QStringLiteral("*") : mask;
    return QDir(dir).entryList({filter}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

bool isInside(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder.endsWith('/') ? folder : folder + '/');
}

} // namespace

bool LeadsOutOf(const QString& dir, const QString& home)
{
    const QString named = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    const QString namedHome = QDir::cleanPath(QFileInfo(home).absoluteFilePath());
    if (!isInside(named, namedHome))
        return false;
    const QString real = QFileInfo(named).canonicalFilePath();
    const QString realHome = QFileInfo(namedHome).canonicalFilePath();
    return !real.isEmpty() && !realHome.isEmpty() && !isInside(real, realHome);
}

int CountFiles(const QString& dir)
{
    return int(matching(dir, "*.*").size());
}

int ListFiles(const QString& dir, const QString& mask, QStringList& list)
{
    list = matching(dir, mask);
    return int(list.size());
}

bool DeleteAllFiles(Ui& ui, const QString& dir)
{
    if (LeadsOutOf(dir, Paths().programDir)) {
        ui.ShowError(dir + "\r" +
                     QStringLiteral("프로그램 폴더 밖을 가리키는 폴더이므로 파일을 지우지 않습니다."));
        WriteLog("폴더 비우기 거부 " + dir + " -> " + QFileInfo(dir).canonicalFilePath(), true);
        return false;
    }
    for (const QString& name : matching(dir, "*.*")) {
        QFile file(QDir(dir).filePath(name));
        if (!file.remove()) {
            ui.ShowError(file.fileName() + "\r" + file.errorString());
            return false;
        }
    }
    return true;
}

bool CopyFiles(Ui& ui, const QString& fromDir, const QString& toDir, const QString& mask)
{
    for (const QString& name : matching(fromDir, mask)) {
        const QString target = QDir(toDir).filePath(name);
        if (QFileInfo(target).isFile())
            QFile::remove(target);
        QFile source(QDir(fromDir).filePath(name));
        if (!source.copy(target)) {
            ui.ShowError(source.fileName() + "\r" + source.errorString());
            return false;
        }
    }
    return true;
}

bool IsProcessRunning(const QString& path)
{
    const QString wanted = QFileInfo(path).absoluteFilePath().toUpper();
    for (const QString& exe : platform::RunningExecutables())
        if (exe.toUpper() == wanted)
            return true;
    return false;
}

bool IsDuplicateInstance()
{
    const QString own = platform::OwnExecutable().toUpper();
    int count = 0;
    for (const QString& exe : platform::RunningExecutables())
        if (exe.toUpper() == own)
            ++count;
    return count >= 2;
}

void SetInputDiscarder(void (*discard)())
{
    g_discardInput = discard;
}

bool RunProgramAndWait(const QString& path, const QString& parameters)
{
    const QString what = path + " " + parameters;
    WriteLog("실행시작 " + what);
    const QStringList args = QProcess::splitCommand(parameters);
    qint64 pid = 0;
    if (!QProcess::startDetached(path, args, QFileInfo(path).absolutePath(), &pid)) {
        WriteLog("실행실패 " + what);
        return false;
    }
    // The program may replace itself or start a helper of the same path,
    // so wait on the path, not on the pid.
    QThread::msleep(50);
    while (IsProcessRunning(path)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(50);
    }
    WriteLog("실행완료 " + what);
    if (g_discardInput)
        g_discardInput();
    return true;
}

} // namespace shell
