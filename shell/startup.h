#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace shell {

class Ui;
struct Workspace;

// What the start-up guards look at; the tests put in their own.
struct StartupProbes
{
    std::function<bool()> maintenanceRunning; // the maintenance program is up
    std::function<bool()> duplicateInstance;  // a second copy of this program is up
};

// The maintenance program beside this one.
QString MaintenanceProgramPath(const Workspace& ws);
StartupProbes SystemProbes(const Workspace& ws);

// Asks the user to end the maintenance program, then the other copies of
// this one, again after every OK, until they are gone. False (end the
// program) as soon as any answer but OK is given.
bool PassStartupGuards(Ui& ui, const StartupProbes& probes);
// One such guard: while `running` says so, asks `question` (OK/Cancel,
// Cancel preselected); false as soon as the answer is not OK.
bool WaitUntilGone(Ui& ui, const std::function<bool()>& running, const QString& question);

// `arguments` without the program name. The first one decides.
bool IsTestModeArgument(const QStringList& arguments);
bool IsUpgradeArgument(const QStringList& arguments);

} // namespace shell
