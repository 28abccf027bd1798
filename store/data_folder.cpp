#include "store/data_folder.h"

#include "shell/log.h"

#include <QDir>
#include <QFileInfo>

namespace store {
namespace {

QString withoutSlash(const QString& dir)
{
    return QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
}

} // namespace

QString StagedDataDir(const QString& dataDir)
{
    return withoutSlash(dataDir) + ".restore";
}

QString SwappedOutDataDir(const QString& dataDir)
{
    return withoutSlash(dataDir) + ".old";
}

bool RecoverSwappedOutData(const QString& dataDir)
{
    const QString live = withoutSlash(dataDir);
    const QString old = SwappedOutDataDir(dataDir);
    if (QFileInfo::exists(live) || !QFileInfo(old + "/Pelmar.db").isFile())
        return false;
    if (!QDir().rename(old, live))
        return false;
    shell::WriteLog("중단된 복구의 기존 자료를 되돌림 " + live);
    return true;
}

} // namespace store
