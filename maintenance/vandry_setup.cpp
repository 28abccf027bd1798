#include "maintenance/vandry_setup.h"

#include "maintenance/backup.h"
#include "maintenance/help_desk.h"
#include "maintenance/reorganise.h"
#include "platform/ini_file.h"
#include "platform/registry.h"
#include "shell/codec.h"
#include "shell/file_helpers.h"
#include "shell/ui.h"
#include "shell/workspace.h"

#include <QFileInfo>

#include <iterator>

namespace maintenance {
namespace {

QString textValue(const platform::IniFile& ini, const char* section, const char* key,
                  const char* fallback)
{
    return ini.hasValue(section, key) ? shell::FromCp949(ini.value(section, key))
                                      : QString(fallback);
}

} // namespace

QString MainProgramPath(const shell::Workspace& ws)
{
    return ws.shippedDir + "Pelmar";
}

shell::StartupProbes VandryProbes(const shell::Workspace& ws)
{
    return {[&ws] { return shell::IsProcessRunning(MainProgramPath(ws)); },
            [] { return shell::IsDuplicateInstance(); }};
}

bool PassVandryStartupGuards(shell::Ui& ui, const shell::StartupProbes& probes)
{
    return shell::WaitUntilGone(
               ui, probes.maintenanceRunning,
               QStringLiteral(
                   "이 프로그램은 Tervo 단위조합 Veltrin 프로그램과 같이 사용할 수 "
                   "없습니다.\r\rTervo 단위조합 Veltrin 프로그램을 종료시켜 주십시오.")) &&
           shell::WaitUntilGone(
               ui, probes.duplicateInstance,
               QStringLiteral("이 프로그램이 중복 실행되었습니다.\r\r하나만 제외하고 "
                              "모두 종료시켜 주십시오."));
}

QString NetworkName(int number)
{
    static const char* const kNames[] = {"01421망", "DNS망", "고속망", "전용선"};
    if (number < 0 || number >= int(std::size(kNames)))
        return {};
    return QString::fromUtf8(kNames[number]);
}

shell::TEdiConfig ConvertOldLinkConfig(const QString& iniPath, const QString& programDir,
                                       const shell::TEdiConfig& current)
{
    platform::IniFile ini(iniPath);
    (void)ini.load(); // one that is no settings file converts as empty
    shell::TEdiConfig c;
    c.Port = "COM" + QString::number(qint64(ini.intValue("COMM", "Port", 0)) + 1);
    c.Connect1 = NetworkName(ini.intValue("COMM", "Connect1", 0));
    c.Connect2 = NetworkName(ini.intValue("COMM", "Connect2", 1));
    c.Phone1 = textValue(ini, "COMM", "Phone1", "01421");
    c.Phone2 = textValue(ini, "COMM", "Phone2", "01420");
    c.ModemInit = textValue(ini, "COMM", "MInit", "ATZ");
    c.LoginID = textValue(ini, "USER", "LoginID", "").toUpper();
    c.Password = textValue(ini, "USER", "Password", "");
    c.CompressCheck = ini.intValue("OPTION", "Compress", 0) == 1;
    c.PasswordCheck = ini.intValue("OPTION", "Password", 0) == 1;
    c.Protocol = "Zmodem";
    c.Speed = "38400";
    c.SendDir = programDir + "Send";
    c.RecvDir = programDir + "Recv";
    c.ResultDir = programDir + "Result";
    c.ScriptDir.clear();
    c.DeleteCheck = true;
    c.AppendCheck = true;
    c.ErrorCheck = false;
    c.ResultCheck = true;
    c.HeaderCheck = false;
    c.HeaderValCheck = true;
    c.MessageCheck = false;
    c.MailboxDir = current.MailboxDir;
    return c;
}

QString UninstallLogName(const QString& programDir)
{
    int n = 0;
    while (n < 100 && QFileInfo::exists(programDir + QString("DeIsL%1.isu").arg(n + 1)))
        ++n;
    return QString("DeIsL%1.isu").arg(qMax(n, 1));
}

QString UninstallCommand(const QString& systemDir, const QString& programDir)
{
    return systemDir + "uninst.exe -f\"" + programDir + UninstallLogName(programDir) + "\" -c\"" +
           programDir + "_isreg32.dll\"";
}

bool FinishUpgrade(Context& ctx)
{
    shell::Ui& ui = ctx.ui;
    const QString programDir = ctx.ws.programDir;

    ui.ShowWaitMessage(QStringLiteral("환경 설정 내용을 복사중..."));
    const QString oldConfig = programDir + "Parlnk.ini";
    if (QFileInfo::exists(oldConfig)) {
        shell::TEdiConfig current;
        shell::ReadSettings(current);
        shell::WriteSettings(ConvertOldLinkConfig(oldConfig, programDir, current));
    }
    PrepareTransferDirectoriesFor(Program::Vandry, ctx.ws);

    // Controls that a Windows installation moves into the system folder do
    // not exist here; the step keeps its message so the order stays the same.
    ui.ShowWaitMessage(QStringLiteral("시스템 파일 설치중..."));

    ui.ShowWaitMessage(QStringLiteral("기타 설정 내용 변경중..."));
    platform::Registry machine(platform::Registry::LocalMachine);
    machine.WriteString(kUninstallKey, "UninstallString", UninstallCommand(programDir, programDir));

    const bool ok = Backup(ctx, programDir) && Reorganise(ctx);
    ui.CloseWait();
    if (ok)
        ui.ShowInfo(
            QStringLiteral("Tervo 단위조합 Veltrin 프로그램의 업그레이드가 완료되었습니다."));
    return ok;
}

} // namespace maintenance
