#include "platform/ini_file.h"
#include "shell/app_info.h"
#include "shell/codec.h"
#include "shell/firm_ini.h"
#include "shell/log.h"
#include "shell/ui/background_area.h"
#include "shell/ui/main_window.h"
#include "shell/ui/screen_catalog.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "tests/support/qt_app.h"
#include "tests/support/workspace_fixture.h"
#include "widgets/child_screen.h"

#include <QAction>
#include <QFile>
#include <QToolButton>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

using shell::ui::ChildKind;
using shell::ui::Screen;
using shell::ui::ScreenRequest;
using shell::ui::TfmMain;

namespace {

// A working screen that can refuse to close, as one with unsaved edits does.
class TestChild : public QWidget, public widgets::ChildScreen
{
public:
    bool allowClose = true;
    bool cancelled = false;
    bool CloseQuery() override { return allowClose; }
    void CancelEdits() override { cancelled = true; }
};

struct Opened
{
    Screen screen;
    QString caption;
    bool readOnly;
    int mode;
    int codeKind;
};

} // namespace

class MainWindow : public testing_support::WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        testing_support::QtApp();
        dm = std::make_unique<store::TDM1>(ui, workspace());
        ASSERT_TRUE(dm->PrepareDatabase(workspace().dataDir));
        ASSERT_TRUE(dm->OpenTables());
    }
    void TearDown() override
    {
        window.reset();
        dm.reset();
        WorkspaceTest::TearDown();
    }

    // Registers every screen, recording how it was asked to open.
    void registerAll()
    {
        for (int s = int(Screen::Transmission); s <= int(Screen::Holidays); ++s)
            catalog.add(Screen(s), [this, s](const ScreenRequest& r) {
                opened.push_back({Screen(s), r.caption, r.readOnly, r.mode, r.codeKind});
            });
        catalog.setSendTimeCheck([this](shell::Ui&, store::TDM1&) { return sendAllowed; });
        for (ChildKind kind : {ChildKind::TransferBatches, ChildKind::BatchGroups})
            catalog.addChild(kind, [this, kind](const ScreenRequest&) {
                auto* child = new TestChild;
                children[int(kind)] = child;
                ++created;
                return child;
            });
    }
    TfmMain& makeWindow()
    {
        window = std::make_unique<TfmMain>(ui, *dm, workspace(), catalog, QStringList{"test"});
        EXPECT_TRUE(window->FormCreate());
        return *window;
    }

    std::unique_ptr<store::TDM1> dm;
    shell::ui::ScreenCatalog catalog;
    std::unique_ptr<TfmMain> window;
    std::vector<Opened> opened;
    TestChild* children[2] = {nullptr, nullptr};
    int created = 0;
    bool sendAllowed = true;
};

TEST_F(MainWindow, EntriesWithoutTheirScreenAreGreyed)
{
    TfmMain& w = makeWindow();
    const QStringList own = {"업무/PC 뱅킹 (홈뱅킹)",      "업무/종료",
                             "자료전송/Tervo이체상황조회", "환경설정/통신 환경 설정",
                             "환경설정/S/W 비밀번호 설정", "환경설정/화면 설정",
                             "기타/이 프로그램은..."};
    const QStringList paths = w.entryPaths(false);
    EXPECT_EQ(paths.size(), 32);
    for (const QString& path : paths)
        EXPECT_EQ(w.entry(false, path)->isEnabled(), own.contains(path)) << path.toStdString();
    EXPECT_FALSE(w.background()->transferButton()->isEnabled());
    EXPECT_FALSE(w.background()->sendReceiveButton()->isEnabled());
}

TEST_F(MainWindow, TransferStatusPageThatCannotBeReachedIsSaid)
{
    // Nothing listens on port 1 of this machine: the connection is refused at once.
    platform::IniFile ini(workspace().firmIniPath());
    ASSERT_TRUE(ini.load());
    ini.setValue("Site", "BankHost", "127.0.0.1:1");
    ASSERT_TRUE(ini.save());
    TfmMain& w = makeWindow();
    ui.clear();
    w.entry(false, "자료전송/Tervo이체상황조회")->trigger();
    const QStringList errors = ui.texts("error");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(
        errors.first().startsWith(QStringLiteral("이체상황조회 화면에 연결할 수 없습니다.")))
        << errors.first().toStdString();
    EXPECT_TRUE(errors.first().contains("https://127.0.0.1:1/link/VanFirm.jsp"));
}

TEST_F(MainWindow, EveryEntryOpensItsScreen)
{
    registerAll();
    TfmMain& w = makeWindow();
    struct Case
    {
        const char* path;
        Screen screen;
        const char* caption;
        bool readOnly;
        int mode;
        int codeKind;
    };
    const Case cases[] = {
        {"자료전송/송신", Screen::Transmission, "", false, 0, 0},
        {"자료전송/송수신", Screen::Transmission, "", false, 1, 0},
        {"자료전송/수신", Screen::Transmission, "", false, 2, 0},
        {"자료전송/문서 선택수신 (재수신)", Screen::Transmission, "", false, 3, 0},
        {"자료전송/송신 결과 조회", Screen::TransmissionResults, "송신 결과 조회", false, 0, 0},
        {"자료전송/수납 현황", Screen::Collections, "수납 현황", false, 0, 0},
        {"자료전송/변경 이력 조회", Screen::ChangeRecord, "변경 이력 조회", false, 0, 0},
        {"코드설정/출금동의 등록/해지", Screen::ConsentRegister, "출금동의 등록/해지", false, 0, 0},
        {"코드설정/은행 코드", Screen::BankCodes, "은행 코드 설정", false, 0, 0},
        {"코드설정/이체여부 코드", Screen::CodeTable, "이체여부 코드 설정", false, 0, 21},
        {"코드설정/처리결과 코드", Screen::CodeTable, "처리결과 코드 설정", false, 0, 16},
        {"코드설정/불능 처리 규칙", Screen::FollowUpRules, "불능 처리 규칙", false, 0, 0},
        {"코드설정/휴일 관리", Screen::Holidays, "휴일 관리", false, 0, 0},
        {"환경설정/이용자설정 (이용기관)", Screen::Institutions, "이용자설정 (이용기관)", false, 0,
         0},
        {"환경설정/증빙자료 암호화키 등록", Screen::EvidenceKey, "증빙자료 암호화키 등록", false, 0,
         0},
        {"자료관리/자료받기 (PC로 저장.백업)", Screen::Backup, "자료받기 (PC로 저장.백업)", false,
         0, 0},
        {"자료관리/자료복구 (불러오기)", Screen::Restore, "자료복구 (불러오기)", false, 0, 0},
        {"자료관리/자료 재정리", Screen::Reorganise, "자료 재정리", false, 0, 0},
        {"자료관리/Miradel로 자료송신/DB 자료보내기", Screen::HelpDeskDataSend, "DB 자료보내기",
         false, 0, 0},
        {"자료관리/Miradel로 자료송신/파일보내기", Screen::HelpDeskFileSend, "파일보내기", false, 0,
         0},
        {"기타/메모 화일 편집", Screen::MemoEditor, "메모 화일 편집", false, 0, 0},
        {"기타/출금동의신청(예:엑셀파일)", Screen::ConsentTemplate, "출금동의신청(예:엑셀파일)",
         false, 0, 0},
    };
    for (const Case& c : cases) {
        opened.clear();
        QAction* a = w.entry(false, c.path);
        ASSERT_NE(a, nullptr) << c.path;
        EXPECT_TRUE(a->isEnabled()) << c.path;
        a->trigger();
        ASSERT_EQ(opened.size(), 1u) << c.path;
        EXPECT_EQ(opened[0].screen, c.screen) << c.path;
        EXPECT_EQ(opened[0].caption, QString::fromUtf8(c.caption)) << c.path;
        EXPECT_EQ(opened[0].readOnly, c.readOnly) << c.path;
        EXPECT_EQ(opened[0].mode, c.mode) << c.path;
        EXPECT_EQ(opened[0].codeKind, c.codeKind) << c.path;
    }
    // The send-time guard stops a send before the screen opens.
    sendAllowed = false;
    opened.clear();
    w.entry(false, "자료전송/송신")->trigger();
    w.entry(false, "자료전송/송수신")->trigger();
    w.entry(false, "자료전송/수신")->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].mode, 2);
}

TEST_F(MainWindow, OneChildScreenAtATime)
{
    registerAll();
    TfmMain& w = makeWindow();
    w.entry(false, "업무/Veltrin")->trigger();
    ASSERT_EQ(w.activeChildKind(), ChildKind::TransferBatches);
    EXPECT_TRUE(w.showingSubMenu());
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowCloseButtonHint));

    // The reduced menu: working entries greyed, code screens read-only.
    EXPECT_FALSE(w.entry(true, "업무/Veltrin")->isEnabled());
    EXPECT_FALSE(w.entry(true, "자료전송/송신")->isEnabled());
    EXPECT_FALSE(w.entry(true, "자료관리/자료 재정리")->isEnabled());
    EXPECT_TRUE(w.entry(true, "자료전송/송신 결과 조회")->isEnabled());
    w.entry(true, "코드보기/은행 코드")->trigger();
    w.entry(true, "환경설정/이용자설정 (이용기관) 보기")->trigger();
    w.entry(true, "코드보기/휴일 관리")->trigger();
    w.entry(true, "코드보기/불능 처리 규칙")->trigger();
    ASSERT_EQ(opened.size(), 4u);
    EXPECT_EQ(opened[0].caption, "은행 코드 보기");
    EXPECT_TRUE(opened[0].readOnly);
    EXPECT_TRUE(opened[1].readOnly);
    EXPECT_EQ(opened[2].caption, "휴일 관리 보기");
    EXPECT_TRUE(opened[2].readOnly);
    EXPECT_EQ(opened[3].caption, "불능 처리 규칙 보기");
    EXPECT_TRUE(opened[3].readOnly);

    // Asking for the open kind again does nothing.
    EXPECT_TRUE(w.OpenChildScreen(ChildKind::TransferBatches));
    EXPECT_EQ(created, 1);

    // A screen that refuses to close keeps its place.
    children[0]->allowClose = false;
    w.OpenChildScreen(ChildKind::BatchGroups);
    EXPECT_EQ(w.activeChildKind(), ChildKind::TransferBatches);
    children[0]->allowClose = true;
    w.OpenChildScreen(ChildKind::BatchGroups);
    EXPECT_EQ(w.activeChildKind(), ChildKind::BatchGroups);
    QCoreApplication::processEvents();

    w.entry(true, "업무/닫기")->trigger();
    EXPECT_FALSE(w.activeChildKind().has_value());
    EXPECT_FALSE(w.showingSubMenu());
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowCloseButtonHint));
}

TEST_F(MainWindow, EndingFromOutsideDropsTheEditAndLogsTheEnd)
{
    registerAll();
    TfmMain& w = makeWindow();
    w.OpenChildScreen(ChildKind::TransferBatches);
    TestChild* child = children[0];
    child->allowClose = false; // an edit in progress
    w.EndSession();
    for (int i = 0; i < 20 && !w.closePathDone(); ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(w.closePathDone());
    EXPECT_TRUE(child->cancelled);
    EXPECT_FALSE(dm->IsOpen());

    QFile log(shell::LogFilePath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QStringList lines = shell::FromCp949(log.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(shell::kAppTitle + " 시작")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(shell::kAppTitle + " 종료")) << lines[1].toStdString();
}
