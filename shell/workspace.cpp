#include "shell/workspace.h"

#include "platform/ini_file.h"
#include "platform/process_list.h"
#include "platform/registry.h"
#include "platform/settings_file.h"
#include "shell/app_info.h"
#include "shell/link_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace shell {
namespace {

QString g_title = kStartupTitle;

QString withSeparator(const QString& dir)
{
    return dir.endsWith('/') ? dir : dir + '/';
}

// The umask the program was started with, before KeepWorkspacePrivate,
// and the workspace whose contents stay private.
mode_t g_userUmask = 022;
bool g_private = false;
QString g_privateDir;

bool isInside(const QString& path, const QString& folder)
{
    const QString p = QDir::cleanPath(QFileInfo(path).absoluteFilePath()) + '/';
    return p.startsWith(QDir::cleanPath(folder) + '/');
}

} // namespace

QString ApplicationTitle()
{
    return g_title;
}

void SetApplicationTitle(const QString& title)
{
    g_title = title;
}

QString ExecutableDir()
{
    return withSeparator(QFileInfo(platform::OwnExecutable()).absolutePath());
}

QString DefaultWorkspaceDir()
{
    // A relative XDG_DATA_HOME is invalid and ignored, as the convention says.
    QString data = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + "/.local/share";
    return withSeparator(QDir::cleanPath(data + "/Pelmar"));
}

void KeepWorkspacePrivate()
{
    if (!g_private) {
        g_userUmask = umask(077);
        g_private = true;
    }
}

void FollowUserUmask(const QString& path)
{
    if (!g_private || g_privateDir.isEmpty() || isInside(path, g_privateDir))
        return;
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (stat(name.constData(), &st) != 0)
        return;
    chmod(name.constData(), (S_ISDIR(st.st_mode) ? 0777 : 0666) & ~g_userUmask);
}

Workspace LoadWorkspacePaths(const QString& programDir)
{
    KeepWorkspacePrivate();
    QString dir = programDir;
    if (dir.isEmpty())
        dir = QString::fromLocal8Bit(qgetenv("PELMAR_HOME"));
    if (dir.isEmpty())
        dir = DefaultWorkspaceDir();
    dir = withSeparator(QDir(dir).absolutePath());

    Workspace ws;
    ws.programDir = dir;
    ws.shippedDir = ExecutableDir();
    ws.dataDir = dir + "Data/";
    ws.sendDir = dir + "Send/";
    ws.recvDir = dir + "Recv/";
    ws.resultDir = dir + "Result/";
    ws.scriptDir = dir + "Script/";
    g_privateDir = dir;
    platform::Registry::SetMachineRootDir(dir);
    SetLinkWorkspaceDir(dir);
    ApplyLinkDirectories(ws);
    return ws;
}

platform::Result<> CheckSettingsFiles(const Workspace& ws, bool writes)
{
    for (const QString& file : {ws.firmIniPath(), platform::Registry::UserRootFile(),
                                platform::Registry::MachineRootFile()}) {
        platform::IniFile ini(file);
        if (platform::Result<> read = ini.load(); !read)
            return read;
        if (writes)
            if (platform::Result<> writable = platform::CheckSettingsFileWritable(file); !writable)
                return writable;
    }
    return {};
}

QString Workspace::blankDatabasePath() const
{
    const QString own = programDir + "BlankDB.bin";
    return QFileInfo::exists(own) ? own : shippedDir + "BlankDB.bin";
}

QString WithBackslash(const QString& path)
{
    const QString t = path.trimmed();
    if (t.isEmpty())
        return t;
    return t.endsWith('/') ? t : t + '/';
}

void ApplyLinkDirectories(Workspace& ws)
{
    TEdiConfig cfg;
    if (!ReadSettings(cfg))
        return;
    ws.sendDir = WithBackslash(cfg.SendDir);
    ws.recvDir = WithBackslash(cfg.RecvDir);
    ws.resultDir = WithBackslash(cfg.ResultDir);
    ws.senderId = cfg.LoginID;
}

void PrepareTransferDirectories(Workspace& ws)
{
    TEdiConfig cfg;
    if (!ReadSettings(cfg))
        return;
    const QString p = ws.programDir;
    for (const char* sub : {"Send", "Send/Old", "Recv", "Recv/Old", "Result"})
        QDir().mkdir(p + sub);
    if (WriteSettings(cfg))
        ApplyLinkDirectories(ws);
}

} // namespace shell
