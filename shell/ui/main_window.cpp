#include "shell/ui/main_window.h"

#include "codes/code_lists.h"
#include "edi/link.h"
#include "platform/process_list.h"
#include "platform/riseway.h"
#include "platform/window_beacon.h"
#include "shell/app_info.h"
#include "shell/clock.h"
#include "shell/file_version.h"
#include "shell/firm_ini.h"
#include "shell/link_settings.h"
#include "shell/log.h"
#include "shell/site_settings.h"
#include "shell/startup.h"
#include "shell/terminal.h"
#include "shell/ui.h"
#include "shell/ui/app_icon.h"
#include "shell/ui/application.h"
#include "shell/ui/background_area.h"
#include "shell/ui/config_dialog.h"
#include "shell/ui/notice_panel.h"
#include "shell/ui/qt_ui.h"
#include "shell/ui/small_dialogs.h"
#include "shell/wait_scope.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "widgets/child_screen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QScopeGuard>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <functional>

namespace shell::ui {
namespace {

using Command = TfmMain::Command;

const QString kSep = QStringLiteral("-");

// Which menu set shows an entry: the main window's own (no child window
// open), the one beside a child window, or both.
enum class In { Both, Main, Sub };

struct Entry
{
    QString caption; // "-" is a separator; "a>b" puts b under submenu a
    Command command = Command::Exit;
    In in = In::Both;
    QString subCaption = {}; // beside a child window, where it differs
    QString shortcut = {};
};

struct Menu
{
    QString caption;
    QString subCaption; // beside a child window, where it differs
    QString hint;
    QList<Entry> entries;
};

// Both menu sets in one table: the set beside a child window leaves out
// what only the main window offers and names some entries differently.
const QList<Menu>& menuTable()
{
    static const QList<Menu> table{
        {"업무",
         {},
         "대량입출금,Veltrin,CMS자금수납,받을어음,통장거래내역",
         {{"Veltrin", Command::Batches},
          {"Veltrin 그룹 관리", Command::Groups},
          {kSep},
          {"PC 뱅킹 (홈뱅킹)", Command::PcBanking},
          {kSep},
          {"종료", Command::Exit},
          {"닫기", Command::CloseChild, In::Sub, {}, "Ctrl+F4"}}},
        {"자료전송",
         {},
         {},
         {{"송신", Command::Send},
          {"수신", Command::Receive},
          {"송수신", Command::SendReceive},
          {"문서 선택수신 (재수신)", Command::ReReceive, In::Both, "문서 선택 수신 (재수신)"},
          {kSep},
          {"송신 결과 조회", Command::SendResults},
          {"수납 현황", Command::Collections},
          {"변경 이력 조회", Command::ChangeRecord},
          {kSep},
          {"Tervo이체상황조회", Command::TransferStatus}}},
        {"코드설정",
         "코드보기",
         {},
         {{"출금동의 등록/해지", Command::Consent},
          {kSep},
          {"은행 코드", Command::BankCodes},
          {"이체여부 코드", Command::OutcomeCodes},
          {"처리결과 코드", Command::ResultCodes},
          {"불능 처리 규칙", Command::FollowUpRules},
          {"휴일 관리", Command::Holidays}}},
        {"환경설정",
         {},
         {},
         {{"통신 환경 설정", Command::CommSettings},
          {"이용자설정 (이용기관)", Command::Institutions, In::Both, "이용자설정 (이용기관) 보기"},
          {"증빙자료 암호화키 등록", Command::EvidenceKey, In::Main},
          {kSep},
          {"S/W 비밀번호 설정", Command::PasswordSettings},
          {"화면 설정", Command::ScreenSettings}}},
        {"자료관리",
         {},
         {},
         {{"자료받기 (PC로 저장.백업)", Command::Backup},
          {"자료복구 (불러오기)", Command::Restore},
          {"자료 재정리", Command::Reorganise},
          {kSep},
          {"Miradel로 자료송신>DB 자료보내기", Command::HelpDeskData, In::Both,
           "자료송신>DB 자료보내기"},
          {"Miradel로 자료송신>파일보내기", Command::HelpDeskFile, In::Both,
           "자료송신>파일보내기"}}},
        {"기타",
         {},
         {},
         {{"메모 화일 편집", Command::MemoEdit},
          {"공지 사항 보기", Command::NoticeView},
          {"출금동의신청(예:엑셀파일)", Command::ConsentTemplate, In::Main},
          {kSep, Command::Exit, In::Main},
          {"이 프로그램은...", Command::About, In::Main}}},
    };
    return table;
}

bool shownIn(In in, bool sub)
{
    return in == In::Both || in == (sub ? In::Sub : In::Main);
}

// How a command's screen opens.
enum OpenFlag : unsigned {
    ViewOnlyBeside = 1, // beside a working screen it only shows, read-only
    ReloadsCodes = 2,   // the window's code lists are reloaded after an edit
    Sends = 4,          // the send-time guard must allow it first
    Untitled = 8,       // the screen names itself, not after the entry
};

// The commands that open a screen of the catalogue. A command not listed
// here has its own step in runFrom.
struct ScreenCommand
{
    Command command;
    Screen screen;
    unsigned flags = 0;
    int mode = 0;
    int codeKind = 0;
    const char* editSuffix = ""; // after the entry's caption
    const char* viewSuffix = ""; // the same, read-only
};

const QList<ScreenCommand>& screenCommands()
{
    static const QList<ScreenCommand> table{
        {Command::Send, Screen::Transmission, Sends | Untitled, 0},
        {Command::SendReceive, Screen::Transmission, Sends | Untitled, 1},
        {Command::Receive, Screen::Transmission, Untitled, 2},
        {Command::ReReceive, Screen::Transmission, Untitled, 3},
        {Command::SendResults, Screen::TransmissionResults},
        {Command::Collections, Screen::Collections},
        {Command::ChangeRecord, Screen::ChangeRecord},
        {Command::Consent, Screen::ConsentRegister},
        {Command::BankCodes, Screen::BankCodes, ViewOnlyBeside | ReloadsCodes, 0, 0, " 설정",
         " 보기"},
        {Command::OutcomeCodes, Screen::CodeTable, ViewOnlyBeside, 0, 21, " 설정", " 보기"},
        {Command::ResultCodes, Screen::CodeTable, ViewOnlyBeside, 0, 16, " 설정", " 보기"},
        {Command::FollowUpRules, Screen::FollowUpRules, ViewOnlyBeside, 0, 0, "", " 보기"},
        {Command::Holidays, Screen::Holidays, ViewOnlyBeside, 0, 0, "", " 보기"},
        {Command::Institutions, Screen::Institutions, ViewOnlyBeside | ReloadsCodes},
        {Command::EvidenceKey, Screen::EvidenceKey},
        {Command::Backup, Screen::Backup},
        {Command::Restore, Screen::Restore},
        {Command::Reorganise, Screen::Reorganise},
        {Command::HelpDeskData, Screen::HelpDeskDataSend},
        {Command::HelpDeskFile, Screen::HelpDeskFileSend},
        {Command::MemoEdit, Screen::MemoEditor},
        {Command::ConsentTemplate, Screen::ConsentTemplate},
    };
    return table;
}

const ScreenCommand* screenCommand(Command c)
{
    for (const ScreenCommand& row : screenCommands())
        if (row.command == c)
            return &row;
    return nullptr;
}

// Screens that must not open beside a working screen, and the data
// maintenance that closes the tables under it.
bool blockedInSubMenu(Command c)
{
    static const QList<Command> blocked{
        Command::Batches,     Command::Groups,     Command::Send,         Command::Receive,
        Command::SendReceive, Command::ReReceive,  Command::Consent,      Command::Backup,
        Command::Restore,     Command::Reorganise, Command::HelpDeskData, Command::HelpDeskFile,
    };
    return blocked.contains(c);
}

} // namespace

TfmMain::TfmMain(Ui& ui, store::TDM1& dm, Workspace& ws, const ScreenCatalog& catalog,
                 QStringList arguments, MainWindowHooks hooks)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                               Qt::CustomizeWindowHint),
      m_ui(ui), m_dm(dm), m_ws(ws), m_catalog(catalog), m_arguments(std::move(arguments)),
      m_hooks(std::move(hooks)), m_beacon(std::make_unique<platform::WindowBeacon>())
{
    if (!m_hooks.upgradeCall)
        m_hooks.upgradeCall = platform::StartUpgrade;
    if (!m_hooks.startUpgrader)
        m_hooks.startUpgrader = [this] { return StartUpgrader(m_ws); };

    setObjectName("fmMain");
    setWindowIcon(AppIcon());
    m_stack = new QStackedWidget(this);
    m_background = new BackgroundArea(m_stack);
    m_mdi = new QMdiArea(m_stack);
    m_mdi->setViewMode(QMdiArea::SubWindowView);
    m_stack->addWidget(m_background);
    m_stack->addWidget(m_mdi);
    setCentralWidget(m_stack);

    m_helpDesk = new QLabel(QStringLiteral("Miradel 주식회사 장애접수/처리 Tel : ") +
                                ReadSiteSettings(m_ws).helpDeskTel,
                            this);
    m_helpDesk->setObjectName("helpDesk");
    statusBar()->addWidget(m_helpDesk, 1);
    statusBar()->setSizeGripEnabled(false);

    buildMenus();
    showMenuSet(false);

    connect(m_background, &BackgroundArea::transferClicked, this,
            [this] { run(Command::Batches); });
    connect(m_background, &BackgroundArea::bankingClicked, this,
            [this] { run(Command::PcBanking); });
    connect(m_background, &BackgroundArea::sendReceiveClicked, this,
            [this] { run(Command::SendReceive); });
    connect(m_background, &BackgroundArea::exitClicked, this, [this] { run(Command::Exit); });
    m_background->transferButton()->setEnabled(entryEnabled(Command::Batches, false));
    m_background->sendReceiveButton()->setEnabled(entryEnabled(Command::SendReceive, false));

    // The client area is fixed; the menu bar sits above it.
    setFixedSize(758, 522 + menuBar()->sizeHint().height());
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    applyScreenSettings();
}

TfmMain::~TfmMain()
{
    m_destroying = true;
    if (auto* app = qobject_cast<PelmarApplication*>(qApp))
        app->setErrorHandler({});
    // The child windows die in the base destructor, when this is no longer
    // a TfmMain; their signals must not reach its members then.
    for (QMdiSubWindow* sub : findChildren<QMdiSubWindow*>())
        QObject::disconnect(sub, nullptr, this, nullptr);
}

void TfmMain::buildMenus()
{
    buildMenu(false);
    buildMenu(true);
}

void TfmMain::buildMenu(bool sub)
{
    MenuSet& set = sub ? m_sub : m_main;
    for (const Menu& m : menuTable()) {
        const QString menuCaption = sub && !m.subCaption.isEmpty() ? m.subCaption : m.caption;
        auto* menu = new QMenu(menuCaption, this);
        menu->setToolTipsVisible(true);
        if (!m.hint.isEmpty()) {
            menu->menuAction()->setStatusTip(m.hint);
            menu->menuAction()->setToolTip(m.hint);
        }
        set.menus.append(menu);
        QHash<QString, QMenu*> nested;
        for (const Entry& it : m.entries) {
            if (!shownIn(it.in, sub))
                continue;
            if (it.caption == kSep) {
                menu->addSeparator();
                continue;
            }
            QMenu* target = menu;
            QString caption = sub && !it.subCaption.isEmpty() ? it.subCaption : it.caption;
            QString path = menuCaption + "/";
            if (const qsizetype gt = caption.indexOf('>'); gt > 0) {
                const QString group = caption.left(gt);
                caption = caption.mid(gt + 1);
                if (!nested.contains(group))
                    nested[group] = menu->addMenu(group);
                target = nested[group];
                path += group + "/";
            }
            QAction* a = target->addAction(caption);
            if (!it.shortcut.isEmpty())
                a->setShortcut(QKeySequence(it.shortcut));
            a->setEnabled(entryEnabled(it.command, sub));
            a->setData(int(it.command));
            const Command command = it.command;
            connect(a, &QAction::triggered, this, [this, command, sub] { runFrom(command, sub); });
            set.entries.insert(path + caption, a);
            set.order.append(path + caption);
        }
    }
}

bool TfmMain::entryEnabled(Command c, bool sub) const
{
    if (sub && blockedInSubMenu(c))
        return false;
    if (const ScreenCommand* row = screenCommand(c))
        return m_catalog.has(row->screen) &&
               (!(row->flags & Sends) || bool(m_catalog.sendTimeCheck()));
    switch (c) {
    case Command::Batches:
        return m_catalog.hasChild(ChildKind::TransferBatches);
    case Command::Groups:
        return m_catalog.hasChild(ChildKind::BatchGroups);
    case Command::NoticeView:
        return m_catalog.has(Screen::MemoEditor);
    default:
        return true;
    }
}

void TfmMain::showMenuSet(bool sub)
{
    QMenuBar* bar = menuBar();
    bar->clear();
    for (QMenu* m : (sub ? m_sub : m_main).menus)
        bar->addMenu(m);
    m_showingSub = sub;
}

QAction* TfmMain::entry(bool subMenu, const QString& path) const
{
    return (subMenu ? m_sub : m_main).entries.value(path);
}

QStringList TfmMain::entryPaths(bool subMenu) const
{
    return (subMenu ? m_sub : m_main).order;
}

NoticePanel* TfmMain::noticePanel() const
{
    return m_background->notice();
}

QWidget* TfmMain::activeChild() const
{
    return m_child && !m_child->isHidden() ? m_child->widget() : nullptr;
}

std::optional<ChildKind> TfmMain::activeChildKind() const
{
    if (!activeChild())
        return std::nullopt;
    return m_childKind;
}

namespace {

// True when the page's server answers at all (any HTTP status will do: the
// browser shows it); false when the host is unknown, refuses or is silent.
bool PageAnswers(const QUrl& page)
{
    QNetworkAccessManager network;
    QNetworkRequest request(page);
    request.setTransferTimeout(10000);
    QNetworkReply* reply = network.head(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    const QNetworkReply::NetworkError error = reply->error();
    reply->deleteLater();
    // Below 200 the connection itself failed (network or proxy); above, a server answered.
    return error == QNetworkReply::NoError || error >= QNetworkReply::ContentAccessDenied;
}

} // namespace

void TfmMain::openTransferStatus()
{
    const QString address = TransferStatusAddress(ReadSiteSettings(m_ws).bankHost);
    bool answers = false;
    {
        WaitScope wait(m_ui, QStringLiteral("이체상황조회 화면에 연결 중입니다."));
        answers = PageAnswers(QUrl(address));
    }
    if (!answers) {
        m_ui.ShowError(QStringLiteral("이체상황조회 화면에 연결할 수 없습니다.\r인터넷 연결을 "
                                      "확인하신 후 다시 하십시오.\r") +
                       address);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl(address)))
        m_ui.ShowError(QStringLiteral("웹 브라우저를 열 수 없습니다.\r") + address);
}

void TfmMain::BringToFront()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

bool TfmMain::FormCreate()
{
    m_ws.testMode = IsTestModeArgument(m_arguments);
    SetApplicationTitle(kAppTitle);
    setWindowTitle(kAppTitle + " [버전: " + ReadFileVersion(platform::OwnExecutable()) + "]");
    m_beacon->SetRaiseHandler([this] { BringToFront(); });
    m_beacon->Raise(kAppTitle);
    WriteLog(ApplicationTitle() + " 시작");
    if (auto* app = qobject_cast<PelmarApplication*>(qApp)) {
        app->setErrorHandler([this](const QString& message) {
            m_ui.ShowError(message);
            WriteLog(message, true);
        });
    }
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this] {
        if (m_menusAttached)
            UpdateMenusForChildren();
    });
    if (!m_ws.testMode && RegisterComponentVersions(m_ws) &&
        CheckForUpgrade(m_ui, m_hooks.upgradeCall, m_hooks.startUpgrader))
        return false;
    PrepareTransferDirectories(m_ws);
    if (m_hooks.prepareHolidays)
        m_hooks.prepareHolidays();
    return true;
}

void TfmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        QMetaObject::invokeMethod(this, &TfmMain::FormShow, Qt::QueuedConnection);
    }
}

void TfmMain::FormShow()
{
    // A migration that failed leaves a half-ready file: the tables stay
    // closed rather than let the branch work on it.
    if (!m_dm.PrepareDatabase(m_ws.dataDir)) {
        m_ui.ShowError(store::TDM1::kUnusableMessage);
        m_dm.Close();
    } else if (m_dm.OpenTables() && m_hooks.dataOpened) {
        m_hooks.dataOpened();
    }
    ReloadCodeLists();
    EnsureAppTypeCode();
    NoticePanel* notice = noticePanel();
    notice->hide();
    notice->load(QUrl(NoticeAddress(platform::OwnExecutable(), ReadSiteSettings(m_ws).noticeHost)));
    if (IsUpgradeArgument(m_arguments))
        postUpgradeBackup();
}

void TfmMain::ReloadCodeLists()
{
    codes::ReloadCodeLists(m_dm.db(), m_codeLists);
}

void TfmMain::applyScreenSettings()
{
    const QString picture = m_ws.picturesDir() + ReadBackgroundPicture(m_ws);
    m_background->setPicture(QFileInfo(picture).isFile() ? picture : QString());
    noticePanel()->applyColors(ReadNoticeTextColor(m_ws), ReadNoticeBackColor(m_ws));
}

void TfmMain::postUpgradeBackup()
{
    if (!m_hooks.unattendedBackup && !m_hooks.interactiveBackup) {
        WriteLog(QStringLiteral("업그레이드 후 자료 보관 기능이 없어 보관하지 않음"));
        m_ui.ShowInfo(QStringLiteral(
            " 자동 업그레이드 후 첫 실행입니다.\r\n\r\n 이 버전에는 자동보관/사용자 보관 기능이 "
            "아직 없어\r\n 자료를 보관하지 않았습니다."));
        return;
    }
    if (!m_ending) {
        QMessageBox box(
            QMessageBox::NoIcon, QStringLiteral("자료 백업"),
            DisplayText(QStringLiteral(" 자동 업그레이드 후 첫 실행입니다.\r\n\r\n 데이타 "
                                       "손실 방지를 위해 자동보관/사용자 보관을 합니다.")),
            QMessageBox::Ok, this);
        box.exec();
    }
    setEnabled(false);
    m_dm.Close();
    bool userCopy = false;
    {
        // Reopen whatever happens, also when a backup throws.
        const auto reopen = qScopeGuard([this] {
            m_ui.ShowWaitMessage(QStringLiteral("자료를 열고 있습니다."));
            m_dm.OpenTables();
            m_ui.CloseWait();
            setEnabled(true);
        });
        const QString root = m_ws.autoBackupDir();
        if (m_hooks.unattendedBackup && QDir().mkpath(root)) {
            const QString folder = root + Now().toString("yyyyMMddHHmmss") + "/";
            if (!QFileInfo::exists(folder) && QDir().mkdir(folder))
                m_hooks.unattendedBackup(folder);
        }
        if (m_hooks.interactiveBackup)
            userCopy = m_hooks.interactiveBackup();
    }
    if (userCopy)
        m_ui.ShowInfo(QStringLiteral("자료 받기가 완료되었습니다."));
}

void TfmMain::run(Command command)
{
    runFrom(command, m_showingSub);
}

void TfmMain::runFrom(Command c, bool sub)
{
    if (!entryEnabled(c, sub))
        return;
    QAction* a = qobject_cast<QAction*>(sender());
    const QString caption = a ? a->text() : QString();
    if (const ScreenCommand* row = screenCommand(c)) {
        if ((row->flags & Sends) && !m_catalog.sendTimeCheck()(m_ui, m_dm))
            return;
        const bool view = sub && (row->flags & ViewOnlyBeside);
        const QString title = (row->flags & Untitled)
                                  ? QString()
                                  : caption + (view ? row->viewSuffix : row->editSuffix);
        openScreen(row->screen, title, view, row->mode, row->codeKind);
        if ((row->flags & ReloadsCodes) && !view)
            ReloadCodeLists();
        return;
    }
    // The commands with a step of their own.
    const std::pair<Command, std::function<void()>> steps[] = {
        {Command::Batches, [this] { OpenChildScreen(ChildKind::TransferBatches); }},
        {Command::Groups, [this] { OpenChildScreen(ChildKind::BatchGroups); }},
        {Command::PcBanking,
         [this] {
             const QRect g = screen() ? screen()->geometry() : QRect(0, 0, 1024, 768);
             StartTerminal(m_ui, m_ws, g.width(), g.height());
         }},
        {Command::Exit, [this] { close(); }},
        {Command::CloseChild,
         [this] {
             CloseChildScreen();
             UpdateMenusForChildren();
         }},
        {Command::TransferStatus, [this] { openTransferStatus(); }},
        {Command::CommSettings, [this] { openCommSettings(); }},
        {Command::PasswordSettings, [this] { openSettings(TfmConfig::PasswordPage); }},
        {Command::ScreenSettings, [this] { openSettings(TfmConfig::ScreenPage); }},
        {Command::NoticeView, [this] { openNotice(); }},
        {Command::About, [this] { TfmAbout(this).exec(); }},
    };
    for (const auto& [command, step] : steps)
        if (command == c)
            step();
}

void TfmMain::openScreen(Screen screen, const QString& caption, bool readOnly, int mode,
                         int codeKind, const QString& file)
{
    const ScreenCatalog::Opener* open = m_catalog.opener(screen);
    if (!open)
        return;
    ScreenRequest r;
    r.parent = this;
    r.ui = &m_ui;
    r.dm = &m_dm;
    r.caption = caption;
    r.readOnly = readOnly;
    r.mode = mode;
    r.codeKind = codeKind;
    r.file = file;
    r.codes = &m_codeLists;
    (*open)(r);
}

void TfmMain::openSettings(int page)
{
    TfmConfig dialog(m_ui, m_ws, TfmConfig::Page(page), this);
    if (dialog.exec() == QDialog::Accepted)
        applyScreenSettings();
}

void TfmMain::openCommSettings()
{
    if (!m_hooks.link || !edi::LinkSetup(*m_hooks.link, m_ws).ok)
        return;
    TEdiConfig settings;
    if (ReadSettings(settings))
        WriteTerminalLinkSettings(m_ws, settings);
}

void TfmMain::openNotice()
{
    const QString path = m_ws.noticeFilePath();
    if (!QFileInfo(path).isFile()) {
        m_ui.ShowInfo(QStringLiteral("공지사항 파일이 없습니다."));
        return;
    }
    openScreen(Screen::MemoEditor, QStringLiteral("공지 사항 보기"), true, 0, 0, path);
}

bool TfmMain::OpenChildScreen(ChildKind kind)
{
    const ScreenCatalog::ChildFactory* factory = m_catalog.child(kind);
    if (!factory)
        return false;
    if (activeChild() && m_childKind == kind)
        return true;
    m_menusAttached = false;
    ScreenRequest r;
    r.parent = m_mdi;
    r.ui = &m_ui;
    r.dm = &m_dm;
    r.caption = kind == ChildKind::TransferBatches ? QStringLiteral("Veltrin")
                                                   : QStringLiteral("Veltrin 그룹 관리");
    r.codes = &m_codeLists;
    const auto create = [&]() -> bool {
        QWidget* w = (*factory)(r);
        if (!w)
            return false;
        QMdiSubWindow* sub = m_mdi->addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->installEventFilter(this);
        connect(sub, &QObject::destroyed, this, [this] {
            if (!m_destroying)
                QMetaObject::invokeMethod(this, &TfmMain::UpdateMenusForChildren,
                                          Qt::QueuedConnection);
        });
        sub->showMaximized();
        m_child = sub;
        m_childKind = kind;
        return true;
    };
    bool opened = false;
    if (activeChild()) {
        auto* screen = dynamic_cast<widgets::ChildScreen*>(m_child->widget());
        if (!screen || screen->CloseQuery()) {
            QPointer<QMdiSubWindow> old = m_child;
            m_stack->setCurrentWidget(m_background);
            opened = create();
            m_forceChildClose = true;
            if (old)
                old->close();
            m_forceChildClose = false;
            m_stack->setCurrentWidget(m_mdi);
        }
    } else {
        opened = create();
    }
    m_menusAttached = true;
    UpdateMenusForChildren();
    return opened;
}

void TfmMain::closeChildNow(bool cancelEdits)
{
    if (!m_child)
        return;
    if (cancelEdits)
        if (auto* screen = dynamic_cast<widgets::ChildScreen*>(m_child->widget()))
            screen->CancelEdits();
    m_forceChildClose = true;
    m_child->close();
    m_forceChildClose = false;
}

bool TfmMain::CloseChildScreen()
{
    if (!activeChild())
        return true;
    auto* screen = dynamic_cast<widgets::ChildScreen*>(m_child->widget());
    const bool allowed = !screen || screen->CloseQuery();
    if (allowed) {
        closeChildNow(false);
        QCoreApplication::processEvents();
    }
    return allowed;
}

bool TfmMain::eventFilter(QObject* watched, QEvent* event)
{
    // The child's own close box asks the screen first, as "닫기" does.
    if (event->type() == QEvent::Close && !m_forceChildClose && watched == m_child.data()) {
        auto* screen = dynamic_cast<widgets::ChildScreen*>(m_child->widget());
        if (screen && !(m_ending ? (screen->CancelEdits(), true) : screen->CloseQuery())) {
            event->ignore();
            return true;
        }
        QMetaObject::invokeMethod(this, &TfmMain::UpdateMenusForChildren, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfmMain::UpdateMenusForChildren()
{
    if (m_destroying)
        return;
    const bool child = activeChild() != nullptr;
    if (child != m_showingSub)
        showMenuSet(child);
    QWidget* page = child ? static_cast<QWidget*>(m_mdi) : m_background;
    if (m_stack->currentWidget() != page) {
        m_stack->setCurrentWidget(page);
        QCoreApplication::processEvents();
    }
    // The window's own close box is greyed while a working screen is open.
    if (windowFlags().testFlag(Qt::WindowCloseButtonHint) == child) {
        const bool visible = isVisible();
        setWindowFlag(Qt::WindowCloseButtonHint, !child);
        if (visible && !isVisible())
            show();
    }
}

void TfmMain::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_ws.testMode = IsTestModeArgument(m_arguments);
    QMainWindow::changeEvent(event);
}

void TfmMain::closeEvent(QCloseEvent* event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (activeChild()) {
        if (m_ending) {
            closeChildNow(true);
        } else if (!CloseChildScreen()) {
            event->ignore();
            return;
        }
    }
    FormClose();
    event->accept();
}

void TfmMain::FormClose()
{
    noticePanel()->finishLoading(2000);
    WriteLog(ApplicationTitle() + " 종료");
    if (m_hooks.releaseHolidays)
        m_hooks.releaseHolidays();
    m_codeLists = codes::CodeLists{};
    m_dm.Close();
    m_beacon->Lower();
    m_closed = true;
}

void TfmMain::EndSession()
{
    if (m_closed || m_ending)
        return;
    m_ending = true;
    if (auto* qt = dynamic_cast<QtUi*>(&m_ui))
        qt->SetEnding(true);
    m_ui.CloseWait();
    continueEndSession();
}

void TfmMain::continueEndSession()
{
    bool pending = false;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) {
            d->reject();
            pending = true;
        }
    }
    // A dialog returns only when the loop it runs regains control; look
    // again once it has.
    if (pending || QApplication::activeModalWidget()) {
        QTimer::singleShot(10, this, &TfmMain::continueEndSession);
        return;
    }
    close();
}

} // namespace shell::ui
