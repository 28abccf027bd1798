// The layout editor, the preview and the import from the lines screen,
// driven as a user drives them (modal dialogs answered as they open).

#include "shell/codec.h"
#include "shell/text_helpers.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/line_import.h"
#include "transfer/ui/tfm_apt2.h"
#include "transfer/ui/tfm_catc_apt.h"
#include "transfer/ui/tfm_catc_preview.h"
#include "transfer/ui/tfm_group_apt1.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>

using namespace transfer;
using C = widgets::ScreenCommands;

namespace {

QApplication& app()
{
    static int argc = 1;
    static char name[] = "test_import_screens";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

// Runs `inside` on the next modal dialog once it shows.
void onNextDialog(std::function<void(QDialog*)> inside)
{
    QTimer::singleShot(0, [inside] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(d) << "no dialog opened";
        inside(d);
    });
}

QByteArray record(const QString& dong, const QString& bank, const QString& account,
                  const QString& amount)
{
    const auto cell = [](const QString& text, int width) {
        return shell::PadBytes(shell::ToCp949(text), width, true, ' ');
    };
    return cell(dong, 4) + cell("1", 4) + cell("홍길동", 10) + cell(bank, 2) + cell(account, 20) +
           cell(amount, 12) + cell("800101", 14) + cell("", 10);
}

class ImportScreens : public TransferTest
{
protected:
    void SetUp() override
    {
        app();
        TransferTest::SetUp();
        ImportLayout l;
        l.Name = "관리비";
        const int starts[] = {1, 5, 9, 19, 21, 41, 53, 67};
        const int sizes[] = {4, 4, 10, 2, 20, 12, 14, 10};
        for (int i = 0; i < ItemCount; ++i) {
            l.start[i] = starts[i];
            l.size[i] = sizes[i];
        }
        ASSERT_TRUE(SaveLayout(*dm, ui, l));
        writeFile("in.prn", record("101", "11", "1234567890", "1,000") + "\r\n" +
                                record("102", "30", "1234567890", "2,000") + "\r\n");
    }
};

} // namespace

TEST_F(ImportScreens, EditorShowsTheSampleAndEditsLayouts)
{
    TfmCatcApt editor(ui, TfmCatcApt::LineKind(*dm, ui));
    EXPECT_EQ(editor.windowTitle(), "Veltrin 자료변환");
    ASSERT_EQ(editor.layoutList()->count(), 2); // ours and the shipped layout, by name
    editor.layoutList()->setCurrentRow(0);
    EXPECT_EQ(editor.current()->name, "관리비");
    EXPECT_EQ(editor.commands()->action(C::Close)->text(), "종 료");

    ui.answerChooser(path("in.prn"));
    ASSERT_TRUE(editor.ChooseFileClick());
    const QStringList sample = editor.sample()->toPlainText().split('\n');
    ASSERT_EQ(sample.size(), 2);
    EXPECT_EQ(shell::Cp949Length(sample[0]), 80); // padded to the pane's width
    EXPECT_EQ(editor.ContentOf(2), "홍길동    "); // the copy as it stands

    editor.BtnEditClick();
    ASSERT_TRUE(editor.editing());
    EXPECT_FALSE(editor.extra(TfmCatcApt::Convert)->isEnabled());
    EXPECT_FALSE(editor.layoutList()->isEnabled());
    editor.grid()->setCurrentCell(3, 1);
    editor.grid()->item(3, 1)->setText("x");
    EXPECT_EQ(editor.grid()->item(3, 3)->text(), "설정값 오류 !!");
    // Selecting "홍길동" (characters 8 to 10) in the first line: bytes 9 to 14.
    editor.SelectSample(8, 3);
    EXPECT_EQ(editor.grid()->item(3, 1)->text(), "9");
    EXPECT_EQ(editor.grid()->item(3, 2)->text(), "6");
    editor.grid()->item(0, 1)->setText("");
    editor.nameField()->setText("기본양식"); // taken
    editor.BtnSaveClick();
    EXPECT_EQ(ui.texts("info").last(), "자료명칭이 중복됩니다.");
    EXPECT_TRUE(editor.editing());
    editor.nameField()->setText("새양식");
    ui.answerPromptCancel(); // the file choice after saving is cancelled
    editor.BtnSaveClick();
    EXPECT_FALSE(editor.editing());
    const std::optional<ImportLayout> saved = FindLayout(*dm, "새양식");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->start[Dong], 0); // an empty cell stores 0
    EXPECT_EQ(saved->start[BankCode], 9);
    EXPECT_FALSE(FindLayout(*dm, "관리비"));

    ui.answerConfirm(true);
    editor.BtnDeleteClick();
    EXPECT_FALSE(FindLayout(*dm, "새양식"));
}

TEST_F(ImportScreens, PreviewBlocksOnRefusedRealNames)
{
    TfmCatcPreview preview(ui, {"동", "실명번호"});
    shell::ImportPreview p;
    p.rows = {{"동", "실명번호"}, {"101", "800101"}, {"102", "8001011234567"}};
    p.errors = {"[3행[102]: 2열]"};
    preview.ShowPreview(p);
    EXPECT_EQ(preview.windowTitle(), "미리보기");
    EXPECT_EQ(preview.statusLine()->text(), " 전체=[2],오류=[1]");
    EXPECT_FALSE(preview.applyButton()->isEnabled());
    EXPECT_EQ(preview.errorList()->toPlainText(), "[3행[102]: 2열]");

    ui.answerChooser(path("errors"));
    ASSERT_TRUE(preview.SaveList(preview.errorList()));
    QFile saved(path("errors.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), shell::ToCp949("[3행[102]: 2열]\r\n"));
    EXPECT_EQ(ui.texts("open").last(), path("errors.txt"));

    p.errors.clear();
    preview.ShowPreview(p);
    EXPECT_TRUE(preview.applyButton()->isEnabled());
}

TEST_F(ImportScreens, LinesScreenImportsThroughEditorAndPreview)
{
    addBatch(1, 1);
    TfmApt2 screen(*dm, ui, 1);
    screen.show();
    ui.answerChooser(path("in.prn")); // 화일선택
    ui.answerConfirm(false);          // do not open Error.txt
    ui.answerConfirm(false);          // no consent check afterwards
    bool previewShown = false;
    onNextDialog([&](QDialog* d) {
        auto* editor = qobject_cast<TfmCatcApt*>(d);
        ASSERT_TRUE(editor);
        editor->layoutList()->setCurrentRow(0);
        editor->ChooseFileClick();
        onNextDialog([&](QDialog* p) {
            auto* preview = qobject_cast<TfmCatcPreview*>(p);
            ASSERT_TRUE(preview);
            previewShown = true;
            EXPECT_EQ(preview->statusLine()->text(), " 전체=[2],오류=[0]");
            preview->accept();
        });
        editor->ConvertClick();
    });
    screen.ImportClick();
    EXPECT_TRUE(previewShown);
    EXPECT_EQ(screen.lines().size(), 1);
    EXPECT_TRUE(ui.texts("info").contains("1 건의 자료가 변환되었습니다."));
    EXPECT_TRUE(screen.commands()->toolBar()->isEnabled());
    EXPECT_TRUE(screen.grid()->updatesEnabled());
}

TEST_F(ImportScreens, ToolbarAndGridComeBackAfterAReadError)
{
    addBatch(1, 1);
    TfmApt2 screen(*dm, ui, 1);
    screen.show();
    ui.answerChooser(path("in.prn"));
    onNextDialog([&](QDialog* d) {
        auto* editor = qobject_cast<TfmCatcApt*>(d);
        ASSERT_TRUE(editor);
        editor->layoutList()->setCurrentRow(0);
        editor->ChooseFileClick();
        onNextDialog([&](QDialog* p) {
            // The file goes away between the preview and the import.
            QFile::remove(path("in.prn"));
            qobject_cast<QDialog*>(p)->accept();
        });
        editor->ConvertClick();
    });
    ui.answerConfirm(false); // no consent check afterwards
    screen.ImportClick();
    EXPECT_EQ(ui.texts("error").size(), 1);
    EXPECT_TRUE(screen.commands()->toolBar()->isEnabled());
    EXPECT_TRUE(screen.grid()->updatesEnabled());
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2"), 0);
}

TEST_F(ImportScreens, GroupScreenEntersAndCopiesGroups)
{
    TfmGroupApt1 screen(*dm, ui);
    EXPECT_EQ(screen.windowTitle(), "Veltrin그룹관리-관리사무소정보");
    screen.BtnInsertClick();
    ASSERT_TRUE(screen.editing());
    EXPECT_EQ(screen.groupName()->text(), "이름없음");
    screen.groupName()->setText("관리비");
    screen.BtnSaveClick();
    EXPECT_EQ(ui.texts("info").last(), "기관비밀번호 항목이 누락되었습니다.");
    screen.password()->setText("pw1234");
    screen.BtnSaveClick();
    ASSERT_FALSE(screen.editing());
    ASSERT_EQ(screen.groups().size(), 1);
    EXPECT_EQ(screen.groups()[0].GiganName, "푸른마을아파트");
    screen.BtnCopyClick();
    ASSERT_EQ(screen.groups().size(), 2);
    EXPECT_EQ(screen.groups()[1].GroupName, "이름없음");

    bool linesShown = false;
    onNextDialog([&](QDialog* d) {
        auto* lines = qobject_cast<TfmApt2*>(d);
        ASSERT_TRUE(lines);
        linesShown = true;
        EXPECT_TRUE(lines->isGroup());
        EXPECT_EQ(lines->windowTitle(), "Veltrin그룹관리-이름없음 이체자료");
        EXPECT_FALSE(lines->consentCheck()->isVisible());
        EXPECT_FALSE(lines->extra(TfmApt2::Failed)->isVisible());
        lines->BtnCloseClick();
    });
    screen.BtnLinesClick();
    EXPECT_TRUE(linesShown);
}
