#pragma once

#include "maintenance/maintenance_context.h"
#include "shell/link_settings.h"
#include "shell/startup.h"

#include <QString>

// The maintenance program's own steps: its start-up guards and the step it
// runs after an upgrade.
namespace maintenance {

inline const QString kVandryTitle = QStringLiteral("Tervo 단위조합 Veltrin 자료 관리");
inline const QString kVandryCaption = QStringLiteral("단위Tervo Veltrin 자료 관리");
inline const QString kUninstallKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pelmar");

// The main program beside this one.
QString MainProgramPath(const shell::Workspace& ws);
shell::StartupProbes VandryProbes(const shell::Workspace& ws);
// Refuses to run beside Pelmar or a second copy of itself; false ends it.
bool PassVandryStartupGuards(shell::Ui& ui, const shell::StartupProbes& probes);

// The old link configuration file (ProgramDir + "Parlnk.ini") as link
// settings, every other setting at its fixed value. `current` supplies
// what the old file never held (the stand-in link's mailbox folder).
shell::TEdiConfig ConvertOldLinkConfig(const QString& iniPath, const QString& programDir,
                                       const shell::TEdiConfig& current = {});
QString NetworkName(int number);

// "DeIsL" + n + ".isu" for the last n of an unbroken run from 1 in
// `programDir`; "DeIsL1.isu" when there is none.
QString UninstallLogName(const QString& programDir);
QString UninstallCommand(const QString& systemDir, const QString& programDir);

// The post-upgrade step after the window is shown: link settings from the
// old file, transfer folders, the uninstall entry, a backup into ProgramDir
// and, only when that succeeded, a reorganisation. True when all of it
// worked; the completion message is shown only then.
bool FinishUpgrade(Context& ctx);

} // namespace maintenance
