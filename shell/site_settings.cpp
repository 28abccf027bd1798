#include "shell/site_settings.h"

#include "platform/ini_file.h"
#include "shell/codec.h"
#include "shell/workspace.h"

#include <QFileInfo>

namespace shell {

SiteSettings ReadSiteSettings(const Workspace& ws)
{
    platform::IniFile ini(ws.firmIniPath());
    (void)ini.load(); // refused at start when it is no settings file
    const auto text = [&ini](const char* key, const char* fallback) {
        const QString v = FromCp949(ini.value("Site", key)).trimmed();
        return v.isEmpty() ? QString::fromLatin1(fallback) : v;
    };
    return {text("NoticeHost", kDefaultNoticeHost), text("BankHost", kDefaultBankHost),
            text("HelpDeskTel", kDefaultHelpDeskTel)};
}

QString NoticePageName(const QString& programFile)
{
    const QString name = QFileInfo(programFile).fileName();
    const qsizetype dot = name.indexOf('.');
    return dot < 0 ? name : name.left(dot);
}

QString NoticeAddress(const QString& programFile, const QString& host)
{
    const QString name = NoticePageName(programFile);
    return ("http://" + host + ":8050/popup/package/" + name + "/" + name + ".htm").toLower();
}

QString TransferStatusAddress(const QString& bankHost)
{
    return "https://" + bankHost + "/link/VanFirm.jsp";
}

} // namespace shell
