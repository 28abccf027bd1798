// Pelmar: the branch's daily program. Start-up guards, the password, the
// splash, then the main window until it closes.

#include "calendar/send_cutoffs.h"
#include "audit/audit_file.h"
#include "audit/ui/monthly_check.h"
#include "audit/ui/tfm_change_record.h"
#include "calendar/ui/fm_holiday.h"
#include "codes/ui/fm_code_bank.h"
#include "codes/ui/fm_follow_up_rules.h"
#include "codes/ui/tfm_code1.h"
#include "consent/ui/fm_evidential_authkey.h"
#include "consent/ui/tfm_tong_register.h"
#include "edi/mailbox_link.h"
#include "edi/ui/link_settings_dialog.h"
#include "exchange/hand_over.h"
#include "exchange/ui/tfm_edi.h"
#include "exchange/ui/tfm_send_result.h"
#include "maintenance/ui/maintenance_actions.h"
#include "platform/termination_watcher.h"
#include "platform/window_beacon.h"
#include "reports/spreadsheet_writer.h"
#include "reports/ui/tfm_collections.h"
#include "reports/ui/tfm_file_view.h"
#include "shell/app_info.h"
#include "shell/link_settings.h"
#include "shell/log.h"
#include "shell/startup.h"
#include "shell/ui/application.h"
#include "shell/ui/main_window.h"
#include "shell/ui/qt_ui.h"
#include "shell/ui/screen_catalog.h"
#include "shell/ui/small_dialogs.h"
#include "shell/ui/user_input.h"
#include "shell/workspace.h"
#include "shell/workspace_lock.h"
#include "store/account_numbers.h"
#include "store/tdm1.h"
#include "transfer/ui/tfm_apt1.h"
#include "transfer/ui/tfm_group_apt1.h"
#include "widgets/screen_commands.h"

#include <QPointer>
#include <QSessionManager>

namespace {

// The screens of the other subsystems, registered here as they arrive.
// The batch and group screens open inside the main window. Its own 닫기
// entry answers Ctrl+F4 for its child and asks the screen the same way; the
// screen's entry keeps showing the key but leaves it to the main window, as
// two owners would cancel out.
template <typename Screen>
void addHeadScreen(shell::ui::ScreenCatalog& catalog, shell::ui::ChildKind kind)
{
    catalog.addChild(kind, [](const shell::ui::ScreenRequest& r) {
        auto* screen = new Screen(*r.dm, *r.ui, r.parent);
        screen->commands()
            ->action(widgets::ScreenCommands::Close)
            ->setShortcutContext(Qt::WidgetShortcut);
        return screen;
    });
}

void registerScreens(shell::ui::ScreenCatalog& catalog, edi::Link& link, shell::Workspace& ws)
{
    using shell::ui::Screen;
    using shell::ui::ScreenRequest;
    catalog.add(Screen::Institutions, [](const ScreenRequest& r) {
        codes::TfmCode1 screen(r.dm->db(), *r.ui, r.caption, r.readOnly, r.parent);
        screen.exec();
        if (!r.readOnly)
            (void)r.dm->RefreshTables(); // a failure has shown its message
    });
    catalog.add(Screen::BankCodes, [](const ScreenRequest& r) {
        codes::fmCode_Bank screen(r.dm->db(), *r.ui, r.caption, r.readOnly, r.parent);
        screen.exec();
        if (screen.changed())
            (void)r.dm->RefreshTables(); // a failure has shown its message
    });
    catalog.add(Screen::ConsentTemplate, [&ws](const ScreenRequest& r) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        reports::WriteConsentTemplate(*r.ui, ws.tempDir()); // a failure shows its own message
        QApplication::restoreOverrideCursor();
    });
    catalog.add(Screen::MemoEditor, [&ws](const ScreenRequest& r) {
        reports::TfmFileView view(*r.ui, ws, r.file, r.readOnly, r.parent);
        view.exec();
    });
    catalog.add(Screen::ConsentRegister, [&ws](const ScreenRequest& r) {
        consent::TfmTongRegister screen(r.dm->db(), *r.ui, ws, r.parent);
        screen.exec();
    });
    catalog.add(Screen::EvidenceKey, [&ws](const ScreenRequest& r) {
        consent::fmEvidentialAuthkey dialog(r.dm->db(), *r.ui, ws, r.parent);
        dialog.exec();
    });
    catalog.add(Screen::Holidays, [](const ScreenRequest& r) {
        calendar::FmHoliday screen(r.dm->db(), *r.ui, r.caption, r.readOnly, r.parent);
        screen.exec();
    });
    catalog.add(Screen::CodeTable, [](const ScreenRequest& r) {
        codes::fmCode2 screen(r.dm->db(), *r.ui, r.codeKind, r.caption, r.parent);
        screen.exec();
    });
    catalog.add(Screen::FollowUpRules, [](const ScreenRequest& r) {
        codes::FmFollowUpRules screen(r.dm->db(), *r.ui, r.caption, r.readOnly, r.parent);
        screen.exec();
    });
    using maintenance::ui::PasswordPrompt;
    const PasswordPrompt password = [&ws](shell::Ui& ui, QWidget* parent) {
        return shell::ui::AskPassword(ui, ws, parent);
    };
    catalog.add(Screen::Backup, [&ws](const ScreenRequest& r) {
        maintenance::ui::RunBackupEntry(r.parent, *r.ui, *r.dm, ws);
    });
    catalog.add(Screen::Restore, [&ws](const ScreenRequest& r) {
        maintenance::ui::RunRestoreEntry(r.parent, *r.ui, *r.dm, ws);
    });
    catalog.add(Screen::Reorganise, [&ws](const ScreenRequest& r) {
        maintenance::ui::RunReorganiseEntry(r.parent, *r.ui, *r.dm, ws);
    });
    catalog.add(Screen::HelpDeskDataSend, [password, &link, &ws](const ScreenRequest& r) {
        maintenance::ui::RunHelpDeskDataEntry(r.parent, *r.ui, *r.dm, ws, link, password);
    });
    catalog.add(Screen::HelpDeskFileSend, [password, &link, &ws](const ScreenRequest& r) {
        maintenance::ui::RunHelpDeskFileEntry(r.parent, *r.ui, ws, link, password);
    });
    catalog.add(Screen::Transmission, [&link, &ws](const ScreenRequest& r) {
        exchange::TfmEdi screen(*r.dm, *r.ui, link, ws, r.mode, r.parent);
        screen.exec();
    });
    catalog.add(Screen::TransmissionResults, [&link, &ws](const ScreenRequest& r) {
        exchange::TfmSendResult screen(r.dm->db(), *r.ui, link, ws, r.parent);
        screen.exec();
    });
    catalog.add(Screen::Collections, [&ws](const ScreenRequest& r) {
        reports::TfmCollections screen(r.dm->db(), *r.ui, ws, r.parent);
        screen.exec();
    });
    catalog.add(Screen::ChangeRecord, [&ws](const ScreenRequest& r) {
        audit::TfmChangeRecord screen(r.dm->db(), *r.ui, ws, r.parent);
        screen.exec();
    });
    catalog.setSendTimeCheck([](shell::Ui& ui, store::TDM1& dm) {
        QSqlDatabase db = dm.db();
        return calendar::CheckSameDayCutoff(db, ui);
    });
    addHeadScreen<transfer::TfmApt1>(catalog, shell::ui::ChildKind::TransferBatches);
    addHeadScreen<transfer::TfmGroupApt1>(catalog, shell::ui::ChildKind::BatchGroups);
}

} // namespace

int main(int argc, char** argv)
{
    shell::ui::PelmarApplication app(argc, argv);
    shell::Workspace ws = shell::LoadWorkspacePaths();
    shell::SetLogWorkspace(ws);
    shell::SetApplicationTitle(shell::kServiceName);
    const QStringList arguments = app.arguments().mid(1);

    shell::ui::QtUi ui;
    // Before the main window exists an outside end request just answers
    // the open question with its safe answer, which ends the program.
    platform::TerminationWatcher termination;
    QObject::connect(&termination, &platform::TerminationWatcher::terminationRequested, &app,
                     [&ui] { shell::ui::AnswerOpenQuestionsForEnd(ui); });

    // One Pelmar at a time: a second start brings the running window to
    // the front and ends without a word.
    if (platform::WindowBeacon::AskToRaise(shell::kAppTitle))
        return 0;
    if (!shell::PassStartupGuards(ui, shell::SystemProbes(ws)))
        return 0;
    // The daily program holds the workspace from here to its end: sends,
    // receives, backups, restores and reorganisations all run under it.
    shell::WorkspaceLock workspace(ws);
    if (!ui.IsEnding() && !shell::ui::HoldWorkspace(workspace, QStringLiteral("Pelmar"), ui))
        return 1;
    if (!ui.IsEnding() && !shell::ui::CheckSettingsAtStart(ws, QStringLiteral("Pelmar"), ui))
        return 1;
    if (ui.IsEnding() || !shell::ui::AskPassword(ui, ws))
        return 0;
    // Said at the start, once: the numbers are accepted unchecked meanwhile.
    store::SetAccountRulesReport([&ui](const QString& message) { ui.ShowError(message); });
    store::LoadAccountRules();
    // Every change from here on is recorded; a lost record is said once.
    audit::Start(QStringLiteral("Pelmar"), ws,
                 [&ui](const QString& message) { ui.ShowError(message); });

    auto* splash = new shell::ui::TFmWait;
    splash->show();
    splash->repaint();
    QCoreApplication::processEvents();
    shell::SetApplicationTitle(shell::kStartupTitle);

    // A complete set of link settings exists before any link call, and the
    // transfer folders follow it.
    shell::InitialiseLinkSettings();
    shell::ApplyLinkDirectories(ws);
    edi::MailboxLink link(ws, edi::LinkSettingsDialogFor(ui, ws));
    shell::ui::ScreenCatalog catalog;
    registerScreens(catalog, link, ws);

    store::TDM1 dm(ui, ws);
    shell::ui::MainWindowHooks hooks;
    hooks.unattendedBackup = [&ui, &ws](const QString& folder) {
        return maintenance::ui::UnattendedBackup(ui, ws, folder);
    };
    hooks.interactiveBackup = [&ui, &ws] { return maintenance::ui::InteractiveBackup(ui, ws); };
    hooks.link = &link;
    // A send cut off after its hand-over is settled before any work (a journal
    // that does not read has been said; the screens refuse a send then); then,
    // at a month's first start, the reminder to look at last month's record.
    QPointer<QWidget> mainWindow;
    hooks.dataOpened = [&dm, &link, &ws, &ui, &mainWindow] {
        (void)exchange::SettleAndTell(dm, link, ws);
        audit::RemindMonthlyCheck(dm.db(), ui, ws, [&](const QDate& from, const QDate& to) {
            audit::TfmChangeRecord screen(dm.db(), ui, ws, mainWindow);
            screen.SetPeriod(from, to);
            screen.exec();
        });
    };
    shell::ui::TfmMain window(ui, dm, ws, catalog, arguments, hooks);
    mainWindow = &window;
    if (!window.FormCreate()) {
        delete splash;
        return 0;
    }

    QObject::disconnect(&termination, nullptr, &app, nullptr);
    QObject::connect(&termination, &platform::TerminationWatcher::terminationRequested, &window,
                     &shell::ui::TfmMain::EndSession);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.EndSession(); });

    splash->hide();
    delete splash;
    window.show();
    if (ui.IsEnding())
        window.EndSession();
    return app.exec();
}
