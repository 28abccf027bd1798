#pragma once

#include "codes/code_lists.h"
#include "shell/ui/screen_catalog.h"
#include "shell/upgrade.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <optional>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QStackedWidget;

namespace platform {
class WindowBeacon;
}
namespace edi {
class Link;
}

namespace shell::ui {

class BackgroundArea;
class NoticePanel;

// What the main window takes from other subsystems; tests put in their own.
struct MainWindowHooks
{
    UpgradeCall upgradeCall;     // default: the upgrade library
    UpgraderStart startUpgrader; // default: the upgrader beside the program
    // The holiday lists live from the window's creation to its close.
    std::function<void()> prepareHolidays;
    std::function<void()> releaseHolidays;
    // The backups after an upgrade: into a fresh folder without questions,
    // then one where the user chooses the medium. True when it was made.
    std::function<bool(const QString& folder)> unattendedBackup;
    std::function<bool()> interactiveBackup;
    // The program's link, for 통신 환경 설정; without one the entry does nothing.
    edi::Link* link = nullptr;
    // Runs once the data is open at the start, before any work.
    std::function<void()> dataOpened;
};

// The main window: both menus, the background area with the picture
// buttons and the notice, the status strip, and at most one working
// screen (the batches or the batch groups) inside it.
class TfmMain : public QMainWindow
{
    Q_OBJECT
public:
    enum class Command {
        Batches,
        Groups,
        PcBanking,
        Exit,
        CloseChild,
        Send,
        Receive,
        SendReceive,
        ReReceive,
        SendResults,
        Collections,
        ChangeRecord,
        TransferStatus,
        Consent,
        BankCodes,
        OutcomeCodes,
        ResultCodes,
        FollowUpRules,
        Holidays,
        CommSettings,
        Institutions,
        EvidenceKey,
        PasswordSettings,
        ScreenSettings,
        Backup,
        Restore,
        Reorganise,
        HelpDeskData,
        HelpDeskFile,
        MemoEdit,
        NoticeView,
        ConsentTemplate,
        About,
    };

    // `ws` is main()'s: the window sets its test mode and re-applies its
    // link folders when the link settings change.
    TfmMain(Ui& ui, store::TDM1& dm, Workspace& ws, const ScreenCatalog& catalog,
            QStringList arguments, MainWindowHooks hooks = {});
    ~TfmMain() override;

    // The creation steps. False when an upgrade has started and the
    // program must end at once, without its close steps.
    bool FormCreate();
    // Shows the window restored, raised and active: a second start of the
    // program asks for it through the window beacon.
    void BringToFront();
    // The steps when the window is first shown (run by the first show).
    void FormShow();
    // Closes as "종료" does, without questions: open dialogs are cancelled
    // and an edit in progress is dropped.
    void EndSession();

    bool OpenChildScreen(ChildKind kind);
    bool CloseChildScreen();
    void UpdateMenusForChildren();
    void ReloadCodeLists();
    const codes::CodeLists& codeLists() const { return m_codeLists; }

    void run(Command command);

    // A menu entry by its path, "업무/Veltrin" or "자료관리/Miradel로 자료송신/파일보내기".
    QAction* entry(bool subMenu, const QString& path) const;
    QStringList entryPaths(bool subMenu) const;
    bool showingSubMenu() const { return m_showingSub; }
    QWidget* activeChild() const;
    std::optional<ChildKind> activeChildKind() const;
    BackgroundArea* background() const { return m_background; }
    NoticePanel* noticePanel() const;
    QLabel* helpDeskLabel() const { return m_helpDesk; }
    bool closePathDone() const { return m_closed; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct MenuSet
    {
        QList<QMenu*> menus;
        QHash<QString, QAction*> entries;
        QStringList order;
    };

    void buildMenus();
    void buildMenu(bool sub);
    void showMenuSet(bool sub);
    bool entryEnabled(Command command, bool sub) const;
    void runFrom(Command command, bool sub);
    void openScreen(Screen screen, const QString& caption, bool readOnly = false, int mode = 0,
                    int codeKind = 0, const QString& file = {});
    void openSettings(int page);
    void openTransferStatus();
    void openCommSettings();
    void openNotice();
    void postUpgradeBackup();
    void applyScreenSettings();
    void closeChildNow(bool cancelEdits);
    void FormClose();
    void continueEndSession();

    Ui& m_ui;
    store::TDM1& m_dm;
    Workspace& m_ws;
    const ScreenCatalog& m_catalog;
    QStringList m_arguments;
    MainWindowHooks m_hooks;
    codes::CodeLists m_codeLists;

    MenuSet m_main;
    MenuSet m_sub;
    bool m_showingSub = false;
    QStackedWidget* m_stack;
    BackgroundArea* m_background;
    QMdiArea* m_mdi;
    QLabel* m_helpDesk;
    QPointer<QMdiSubWindow> m_child;
    ChildKind m_childKind = ChildKind::TransferBatches;
    std::unique_ptr<platform::WindowBeacon> m_beacon;

    bool m_menusAttached = true;
    bool m_forceChildClose = false;
    bool m_shown = false;
    bool m_closed = false;
    bool m_ending = false;
    bool m_destroying = false;
};

} // namespace shell::ui
