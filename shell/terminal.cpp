#include "shell/terminal.h"

#include "platform/default_profile.h"
#include "platform/ini_file.h"
#include "shell/codec.h"
#include "shell/file_helpers.h"
#include "shell/link_settings.h"
#include "shell/ui.h"
#include "shell/workspace.h"

#include <QDir>
#include <QFileInfo>

namespace shell {
TerminalPlacement PlaceTerminal(int cx, int cy, int screenWidth, int screenHeight)
{
    // C++ division truncates toward zero, as the terminal expects.
    return {(screenWidth - cx) / 2, (screenHeight - cy - 27) / 2, cx, cy};
}

QString TerminalProfilePath()
{
    return platform::DefaultProfileFile("Tessrun.ini");
}

bool WriteTerminalProfile(int screenWidth, int screenHeight)
{
    platform::IniFile ini(TerminalProfilePath());
    (void)ini.load(); // a file that did not load is not saved over
    const int cx = ini.intValue("Preference", "cx", 669);
    const int cy = ini.intValue("Preference", "cy", 567);
    const TerminalPlacement p = PlaceTerminal(cx, cy, screenWidth, screenHeight);
    ini.setValue("BarState-Summary", "ScreenCX", QByteArray::number(screenWidth));
    ini.setValue("BarState-Summary", "ScreenCY", QByteArray::number(screenHeight));
    ini.setValue("Preference", "x", QByteArray::number(p.x));
    ini.setValue("Preference", "y", QByteArray::number(p.y));
    ini.setValue("Preference", "cx", QByteArray::number(p.cx));
    ini.setValue("Preference", "cy", QByteArray::number(p.cy));
    QDir().mkpath(QFileInfo(ini.path()).absolutePath());
    return ini.save().ok();
}

bool StartTerminal(Ui& ui, const Workspace& ws, int screenWidth, int screenHeight)
{
    WriteTerminalProfile(screenWidth, screenHeight);
    if (RunProgramAndWait(ui, ws.terminalProgram(), QString()))
        return true;
    ui.ShowInfo(QStringLiteral("PC뱅킹 모듈 호출에 실패했습니다."));
    return false;
}

bool WriteTerminalLinkSettings(const Workspace& ws, const TEdiConfig& settings)
{
    platform::IniFile ini(ws.terminalSettings());
    (void)ini.load(); // a file that did not load is not saved over
    ini.setValue("Modem", "Port", ToCp949(settings.Port));
    ini.setValue("Modem", "BaudRate", ToCp949(settings.Speed));
    ini.setValue("Login", "ID", ToCp949(settings.LoginID));
    ini.setValue("Login", "Password", ToCp949(DecodeLinkPassword(settings.Password)));
    QDir().mkpath(QFileInfo(ini.path()).absolutePath());
    return ini.save().ok();
}

} // namespace shell
