#include "shell/kept_files.h"

#include "shell/clock.h"
#include "shell/log.h"
#include "shell/workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace shell {
namespace {

bool sameBytes(const QString& a, const QString& b)
{
    const QFileInfo ia(a);
    const QFileInfo ib(b);
    if (!ib.isFile() || ia.size() != ib.size())
        return false;
    QFile fa(a);
    QFile fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 kChunk = 1 << 20;
    while (!fa.atEnd()) {
        if (fa.read(kChunk) != fb.read(kChunk))
            return false;
    }
    return true;
}

} // namespace

QString KeptSendDir(const Workspace& ws)
{
    return ws.programDir + "Send/Old/";
}

QString KeptReceiveDir(const Workspace& ws)
{
    return ws.programDir + "Recv/Old/";
}

QString KeptCopyPath(const QString& source, const QString& name, const QString& dayDir)
{
    QString copy = dayDir + name;
    for (int n = 1; QFileInfo::exists(copy) && !sameBytes(source, copy); ++n)
        copy = dayDir + name + '.' + QString::number(n);
    return copy;
}

KeptFiles KeepFiles(const QString& dir, const QString& keptDir)
{
    KeptFiles out;
    const QString day = keptDir + Today().toString("yyyyMMdd") + '/';
    const QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    if (names.isEmpty())
        return out;
    if (!QDir().mkpath(day)) {
        out.ok = false;
        out.error =
            QDir::toNativeSeparators(day) + "\r" + QStringLiteral("폴더를 만들 수 없습니다.");
        return out;
    }
    for (const QString& name : names) {
        const QString source = QDir(dir).filePath(name);
        const QString copy = KeptCopyPath(source, name, day);
        if (!QFileInfo::exists(copy)) {
            QFile file(source);
            if (!file.copy(copy)) {
                out.ok = false;
                out.error = QDir::toNativeSeparators(source) + "\r" + file.errorString();
                WriteLog("보관 실패 " + source + " -> " + copy + ": " + file.errorString(), true);
                return out;
            }
        }
        out.copies.insert(name, copy);
    }
    return out;
}

bool IsKept(const QString& path, const QString& keptDir)
{
    const QString name = QFileInfo(path).fileName();
    const QStringList days = QDir(keptDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& day : days) {
        const QDir folder(keptDir + day);
        const QStringList copies = folder.entryList({name, name + ".*"}, QDir::Files);
        for (const QString& copy : copies)
            if (KeptFileCode(copy) == name && sameBytes(path, folder.filePath(copy)))
                return true;
    }
    return false;
}

QString KeptFileCode(const QString& fileName)
{
    static const QRegularExpression suffix(QStringLiteral("\\.[0-9]+$"));
    QString code = fileName;
    code.remove(suffix);
    return code.isEmpty() ? fileName : code;
}

} // namespace shell
