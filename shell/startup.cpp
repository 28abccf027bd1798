#include "shell/startup.h"

#include "shell/file_helpers.h"
#include "shell/ui.h"
#include "shell/workspace.h"

namespace shell {
namespace {

QString firstArgument(const QStringList& arguments)
{
    return arguments.isEmpty() ? QString() : arguments.first().toUpper();
}

} // namespace

bool WaitUntilGone(Ui& ui, const std::function<bool()>& running, const QString& question)
{
    while (running && running()) {
        if (ui.Ask(question, Ui::Ok | Ui::Cancel, Ui::Cancel) != Ui::Ok)
            return false;
    }
    return true;
}

QString MaintenanceProgramPath(const Workspace& ws)
{
    return ws.shippedDir + "Vandry";
}

StartupProbes SystemProbes(const Workspace& ws)
{
    return {[&ws] { return IsProcessRunning(MaintenanceProgramPath(ws)); },
            [] { return IsDuplicateInstance(); }};
}

bool PassStartupGuards(Ui& ui, const StartupProbes& probes)
{
    return WaitUntilGone(ui, probes.maintenanceRunning,
                         QStringLiteral("이 프로그램은 자료관리 프로그램과 같이 사용할 수 "
                                        "없습니다.\r\r자료관리 프로그램을 종료시켜 주십시오."))
           && WaitUntilGone(ui, probes.duplicateInstance,
                            QStringLiteral("이 프로그램이 중복 실행되었습니다.\r\r하나만 제외하고 "
                                           "모두 종료시켜 주십시오."));
}

bool IsTestModeArgument(const QStringList& arguments)
{
    return firstArgument(arguments) == QLatin1String("TEST");
}

bool IsUpgradeArgument(const QStringList& arguments)
{
    return firstArgument(arguments) == QLatin1String("UPGRADE");
}

} // namespace shell
