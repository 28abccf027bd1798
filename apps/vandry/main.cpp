// Vandry: the maintenance program beside Pelmar. Backup, restore,
// reorganise, the help-desk sends and the step after an upgrade.

#include "edi/mailbox_link.h"
#include "audit/audit_file.h"
#include "edi/ui/link_settings_dialog.h"
#include "maintenance/ui/tfm_vandry.h"
#include "maintenance/vandry_setup.h"
#include "platform/termination_watcher.h"
#include "shell/app_info.h"
#include "shell/link_settings.h"
#include "shell/log.h"
#include "shell/ui/application.h"
#include "shell/ui/qt_ui.h"
#include "shell/workspace.h"
#include "shell/workspace_lock.h"

int main(int argc, char** argv)
{
    shell::ui::PelmarApplication app(argc, argv);
    shell::Workspace ws = shell::LoadWorkspacePaths();
    shell::SetLogWorkspace(ws);
    shell::SetApplicationTitle(maintenance::kVandryTitle);
    const QStringList arguments = app.arguments().mid(1);

    shell::ui::QtUi ui;
    app.setErrorHandler([&ui](const QString& message) { ui.ShowError(message); });

    edi::MailboxLink link(ws, edi::LinkSettingsDialogFor(ui, ws));
    maintenance::ui::TfmVandry window(ui, link, ws, arguments);
    // Both programs share the link settings of the main program's path.
    shell::SetLinkProgramPath(ws.programDir + "Pelmar");
    window.placeWindow();

    // An outside end request answers an open question with its safe answer.
    platform::TerminationWatcher termination;
    QObject::connect(&termination, &platform::TerminationWatcher::terminationRequested, &app, [&] {
        shell::ui::AnswerOpenQuestionsForEnd(ui);
        window.close();
    });

    if (!maintenance::PassVandryStartupGuards(ui, maintenance::VandryProbes(ws)) || ui.IsEnding())
        return 0;
    // Held for the whole run: a restore or reorganisation never replaces
    // the database under another program.
    shell::WorkspaceLock workspace(ws);
    if (!shell::ui::HoldWorkspace(workspace, QStringLiteral("Vandry"), ui))
        return 1;
    if (!shell::ui::CheckSettingsAtStart(ws, QStringLiteral("Vandry"), ui))
        return 1;
    // Its restores, reorganisations and backups are recorded.
    audit::Start(QStringLiteral("Vandry"), ws,
                 [&ui](const QString& message) { ui.ShowError(message); });

    // A complete set of link settings exists before any link call, and the
    // transfer folders follow it.
    shell::InitialiseLinkSettings();
    shell::ApplyLinkDirectories(ws);
    window.show();
    return app.exec();
}
