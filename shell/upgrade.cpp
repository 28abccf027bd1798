#include "shell/upgrade.h"

#include "platform/process_list.h"
#include "platform/registry.h"
#include "platform/riseway.h"
#include "shell/codec.h"
#include "shell/file_version.h"
#include "shell/link_settings.h"
#include "shell/ui.h"
#include "shell/workspace.h"

#include <QFileInfo>
#include <QProcess>

namespace shell {

QString UpgradeResultMessage(qint32 result)
{
    switch (result) {
    case 1:
    case 2:
        return {};
    case 10: return QStringLiteral("사용자 정보가 맞지 않습니다.");
    case 11: return QStringLiteral("네트웍 장애에 의한 패킷 에러 발생.");
    case 12: return QStringLiteral("서버에 접속할수 없습니다.");
    case 13: return QStringLiteral("서버와의 통신이 중단되었습니다.");
    case 14: return QStringLiteral("소켓 버퍼 OverFlow.");
    case 15: return QStringLiteral("사용자가 업그레이드을 종료 하였습니다.");
    case 16: return QStringLiteral("업데이트 정보 파일을 생성하지 못하였습니다.");
    case 17: return QStringLiteral("업데이트 파일의 수가 맞지 않습니다.");
    default: return QStringLiteral("업그레이드 도중 알수 없는 오류가 발생하였습니다.");
    }
}

bool CheckForUpgrade(Ui& ui, const UpgradeCall& call, const UpgraderStart& start)
{
    const qint32 result = call("QV", ToCp949(ReadLoginID()));
    if (result == 1)
        return start();
    const QString text = UpgradeResultMessage(result);
    if (!text.isEmpty())
        ui.ShowPlain(text);
    return false;
}

bool CheckForUpgrade(Ui& ui, const Workspace& ws)
{
    return CheckForUpgrade(ui, platform::StartUpgrade, [&ws] { return StartUpgrader(ws); });
}

bool StartUpgrader(const Workspace& ws)
{
    const QString own = QFileInfo(platform::OwnExecutable()).fileName();
    return QProcess::startDetached(ws.shippedDir + "Sorvan", {"QV", own}, QString());
}

bool RegisterComponentVersions(const Workspace& ws)
{
    const QString dir = ws.programDir;
    const QString shipped = ws.shippedDir;
    const struct
    {
        const char* key;
        QString file;
    } components[] = {
        {"Setup.exe", platform::OwnExecutable()},
        {"Numguard.dll", shipped + "Numguard.so"},
        {"Parlink.dll", shipped + "Parlink.so"},
    };
    platform::Registry reg(platform::Registry::CurrentUser);
    for (const auto& c : components) {
        const QString key = QStringLiteral("Software\\SORVANGRADE\\QV\\") + c.key;
        if (!reg.CreateKey(key))
            return false;
        if (!reg.WriteString(key, "Dir", dir) || !reg.WriteString(key, "Ver", ReadFileVersion(c.file)))
            return false;
    }
    return true;
}

void EnsureAppTypeCode()
{
    platform::Registry reg(platform::Registry::CurrentUser);
    const QString key = UserInfoKey();
    if (reg.KeyExists(key) && !reg.ValueExists(key, "AppTypeCode"))
        reg.WriteString(key, "AppTypeCode", "TVA");
}

} // namespace shell
