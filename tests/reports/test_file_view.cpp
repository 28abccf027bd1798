#include "reports/ui/tfm_file_view.h"
#include "shell/codec.h"
#include "tests/support/qt_app.h"
#include "tests/support/workspace_fixture.h"

#include <QAction>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

using reports::TfmFileView;

class FileView : public testing_support::WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        testing_support::QtApp();
    }
};

TEST_F(FileView, EditsAndSavesInTheFilesOwnEncoding)
{
    writeFile("memo.txt", shell::ToCp949(QStringLiteral("관리비 메모\r\n")));
    TfmFileView view(ui, workspace(), path("memo.txt"), false);
    view.show();
    EXPECT_EQ(view.windowTitle(), "메모 파일 편집 - memo.txt");
    EXPECT_EQ(view.editor()->toPlainText(), "관리비 메모\n");
    EXPECT_FALSE(view.action("저 장")->isEnabled());
    EXPECT_TRUE(view.action("출 력")->isEnabled());

    view.editor()->appendPlainText(QStringLiteral("추가"));
    EXPECT_TRUE(view.action("저 장")->isEnabled());
    ui.answerChooser(path("saved.txt"));
    EXPECT_TRUE(view.BtnSaveClick());
    EXPECT_EQ(readFile("saved.txt"), shell::ToCp949(QStringLiteral("관리비 메모\r\n\r\n추가")));
    EXPECT_EQ(view.windowTitle(), "메모 파일 편집 - saved.txt");
    EXPECT_FALSE(view.action("저 장")->isEnabled());

    // A failed save keeps the text modified.
    view.editor()->appendPlainText("x");
    EXPECT_FALSE(view.SaveTo(path("no/such/dir/x.txt")));
    EXPECT_EQ(ui.texts("error").size(), 1);
    EXPECT_TRUE(view.action("저 장")->isEnabled());

    // Closing with changes asks; No keeps the editor open.
    ui.answerConfirm(false);
    view.close();
    EXPECT_TRUE(view.isVisible());
    ui.answerConfirm(true);
    view.close();
    EXPECT_FALSE(view.isVisible());
}

TEST_F(FileView, ReadOnlyViewerAndMissingFile)
{
    writeFile("Notice.inf", "notice in utf-8 \xEA\xB3\xB5\xEC\xA7\x80\n");
    TfmFileView viewer(ui, workspace(), path("Notice.inf"), true);
    viewer.show();
    EXPECT_TRUE(viewer.editor()->isReadOnly());
    EXPECT_FALSE(viewer.action("화일선택")->isEnabled());
    EXPECT_EQ(viewer.editor()->toPlainText(), "notice in utf-8 공지\n");

    TfmFileView missing(ui, workspace(), path("gone.txt"), false);
    missing.show();
    EXPECT_EQ(missing.windowTitle(), "메모 파일 편집");
    EXPECT_TRUE(missing.editor()->toPlainText().isEmpty());
    EXPECT_FALSE(missing.action("출 력")->isEnabled());
}
