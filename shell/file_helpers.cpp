#include "shell/file_helpers.h"

#include "platform/process_list.h"
#include "shell/log.h"
#include "shell/ui.h"
#include "shell/workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QThread>

#include <filesystem>
#include <system_error>

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

// `folder` is `inner` or holds it.
bool holds(const QString& folder, const QString& inner)
{
    return !inner.isEmpty() && isInside(inner, folder);
}

QString cleanAbsolute(const QString& path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The folder as named and, when links take it elsewhere, where it really is.
QStringList namesOf(const QString& named)
{
    QStringList names{named};
    const QString real = QFileInfo(named).canonicalFilePath();
    if (!real.isEmpty() && real != named)
        names.append(real);
    return names;
}

void logRefusal(const QString& what, const QString& dir, const QString& reason)
{
    WriteLog(what + " 거부 " + dir + " -> " + QFileInfo(dir).canonicalFilePath() + " : " + reason,
             true);
}

} // namespace

FolderDanger DangerOfEmptying(const QString& dir, const QString& programDir)
{
    if (dir.trimmed().isEmpty() || !QDir::isAbsolutePath(dir))
        return FolderDanger::NotAbsolute;
    const QString named = QDir::cleanPath(dir);
    if (!QFileInfo(named).isDir())
        return FolderDanger::Missing;
    const QStringList programDirs = namesOf(cleanAbsolute(programDir));
    const QStringList homes = namesOf(cleanAbsolute(QDir::homePath()));
    for (const QString& name : namesOf(named)) {
        if (QDir(name).isRoot() || QStorageInfo(name).rootPath() == name)
            return FolderDanger::Root;
        for (const QString& program : programDirs)
            if (holds(name, program))
                return FolderDanger::ProgramFolder;
        for (const QString& home : homes)
            if (holds(name, home))
                return FolderDanger::HomeFolder;
    }
    return FolderDanger::None;
}

QString FolderDangerText(FolderDanger danger)
{
    switch (danger) {
    case FolderDanger::None:
        return {};
    case FolderDanger::NotAbsolute:
        return QStringLiteral("전체 경로가 아닌 폴더이므로 파일을 지우지 않습니다.");
    case FolderDanger::Missing:
        return QStringLiteral("없는 폴더이므로 파일을 지우지 않습니다.");
    case FolderDanger::ProgramFolder:
        return QStringLiteral("프로그램 폴더이거나 그것을 담은 폴더이므로 파일을 지우지 않습니다.");
    case FolderDanger::HomeFolder:
        return QStringLiteral(
            "사용자의 홈 폴더이거나 그것을 담은 폴더이므로 파일을 지우지 않습니다.");
    case FolderDanger::Root:
        return QStringLiteral("디스크의 최상위 폴더이므로 파일을 지우지 않습니다.");
    }
    return {};
}

bool RemoveFolder(const QString& dir, const QString& programDir)
{
    if (dir.trimmed().isEmpty() || !QDir::isAbsolutePath(dir)) {
        logRefusal("폴더 지우기", dir, FolderDangerText(FolderDanger::NotAbsolute));
        return false;
    }
    // Without the trailing separator, so that a link is seen as a link.
    const QString path = QDir::cleanPath(dir);
    const QFileInfo info(path);
    if (info.isSymLink()) {
        if (QFile::remove(path))
            return true;
        WriteLog("링크 지우기 실패 " + path, true);
        return false;
    }
    if (!info.exists())
        return true;
    const FolderDanger danger = DangerOfEmptying(path, programDir);
    if (danger != FolderDanger::None) {
        logRefusal("폴더 지우기", path, FolderDangerText(danger));
        return false;
    }
    // remove_all never follows a link: each goes as a link.
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(QFile::encodeName(path).toStdString()),
                                error);
    if (error) {
        WriteLog("폴더 지우기 실패 " + path + " : " + QString::fromStdString(error.message()),
                 true);
        return false;
    }
    return true;
}

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

namespace {

// The refusals of every emptying, shown and logged.
bool checkEmptying(Ui& ui, const QString& dir, const QString& programDir)
{
    const FolderDanger danger = DangerOfEmptying(dir, programDir);
    if (danger != FolderDanger::None) {
        ui.ShowError(dir + "\r" + FolderDangerText(danger));
        logRefusal("폴더 비우기", dir, FolderDangerText(danger));
        return false;
    }
    if (LeadsOutOf(dir, programDir)) {
        ui.ShowError(dir + "\r" +
                     QStringLiteral("프로그램 폴더 밖을 가리키는 폴더이므로 파일을 지우지 않습니다."));
        WriteLog("폴더 비우기 거부 " + dir + " -> " + QFileInfo(dir).canonicalFilePath(), true);
        return false;
    }
    return true;
}

} // namespace

bool DeleteAllFiles(Ui& ui, const QString& dir, const QString& programDir)
{
    if (!checkEmptying(ui, dir, programDir))
        return false;
    for (const QString& name : matching(dir, "*.*")) {
        QFile file(QDir(dir).filePath(name));
        if (!file.remove()) {
            ui.ShowError(file.fileName() + "\r" + file.errorString());
            return false;
        }
    }
    return true;
}

ExchangeFileNames::ExchangeFileNames(const QStringList& fileCodes)
{
    for (const QString& code : fileCodes)
        if (!code.trimmed().isEmpty())
            m_codes.insert(code.trimmed().toUpper());
}

bool ExchangeFileNames::Holds(const QString& fileName) const
{
    // What QSaveFile or QTemporaryFile leaves of a write killed half way.
    static const QRegularExpression leftover(QStringLiteral("^(.+)\\.[A-Za-z0-9]{6}$"));
    static const QRegularExpression written(
        QStringLiteral("^(?:(?:APT|REGISTER)_[0-9]+|FAZIP|FATXT|RPTEDI|NOTICE\\.INF|"
                       "FA[0-9]+\\.(?:ZIP|END|[0-9]{3}))$"));
    const auto ours = [&](const QString& name) {
        const QString upper = name.toUpper();
        return m_codes.contains(upper) || written.match(upper).hasMatch();
    };
    if (ours(fileName))
        return true;
    const QRegularExpressionMatch m = leftover.match(fileName);
    return m.hasMatch() && ours(m.captured(1));
}

QStringList ForeignFiles(const QString& dir, const ExchangeFileNames& own)
{
    QStringList foreign;
    for (const QString& name : matching(dir, "*.*"))
        if (!own.Holds(name))
            foreign.append(name);
    return foreign;
}

std::optional<QStringList> EmptyExchangeFolder(Ui& ui, const QString& dir,
                                               const QString& programDir,
                                               const ExchangeFileNames& own)
{
    if (!checkEmptying(ui, dir, programDir))
        return std::nullopt;
    QStringList left;
    for (const QString& name : matching(dir, "*.*")) {
        if (!own.Holds(name)) {
            left.append(name);
            continue;
        }
        QFile file(QDir(dir).filePath(name));
        if (!file.remove()) {
            ui.ShowError(file.fileName() + "\r" + file.errorString());
            return std::nullopt;
        }
    }
    if (!left.isEmpty())
        WriteLog("폴더 비우기 " + dir + " : 송수신 파일이 아니므로 지우지 않음 " + left.join(", "),
                 true);
    return left;
}

bool EmptySendFolder(Ui& ui, const QString& dir, const QString& programDir,
                     const ExchangeFileNames& own)
{
    const std::optional<QStringList> left = EmptyExchangeFolder(ui, dir, programDir, own);
    if (!left)
        return false;
    if (left->isEmpty())
        return true;
    ui.ShowError(QStringLiteral("송신 폴더에 송수신 파일이 아닌 파일이 있어 송신하지 않습니다.\r"
                                "%1\r\r이 파일을 다른 폴더로 옮긴 뒤 다시 하십시오.")
                     .arg(QDir(dir).filePath(left->first())));
    return false;
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

bool RunProgramAndWait(Ui& ui, const QString& path, const QString& parameters)
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
        ui.KeepResponsive();
        QThread::msleep(50);
    }
    WriteLog("실행완료 " + what);
    if (g_discardInput)
        g_discardInput();
    return true;
}

} // namespace shell
