#include "codes/code_lists.h"
#include "reports/spreadsheet_reader.h"
#include "reports/spreadsheet_writer.h"
#include "shell/import_helpers.h"
#include "shell/workspace.h"
#include "tests/support/folder_watch.h"
#include "tests/support/workspace_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace reports;

class SpreadsheetWriter : public testing_support::WorkspaceTest
{};

TEST_F(SpreadsheetWriter, TemplateReadsBackAsTheImportExpectsIt)
{
    QString error;
    const platform::Result<> written = WriteConsentTemplateFile(ui, path("t.xlsx"));
    ASSERT_TRUE(written) << written.error().toStdString();
    const auto rows = ReadFirstSheet(path("t.xlsx"));
    error = rows.error();
    ASSERT_TRUE(rows) << error.toStdString();
    ASSERT_EQ(rows->size(), 3);
    EXPECT_EQ((*rows)[0][0], ConsentTemplateNotes());
    EXPECT_EQ((*rows)[1], ConsentTemplateHeadings());
    EXPECT_EQ((*rows)[2], ConsentTemplateExample());
    EXPECT_EQ((*rows)[2][1], "000001"); // the code keeps its zeros
    EXPECT_EQ((*rows)[2][2], "11");
    EXPECT_EQ((*rows)[2][3], "1234567890");
    EXPECT_EQ(ConsentTemplateNotes().size(), 1136);
    EXPECT_TRUE(ConsentTemplateNotes().startsWith("<주의 사항>\n"));
    EXPECT_EQ(ConsentTemplateNotes().mid(81, 10), "<자료 작성 방법>");

    // The example passes the import's per-column checks.
    codes::CodeLists codes;
    codes.institutions = {"000001"};
    codes.banks = {"11"};
    for (int c = 0; c < 10; ++c)
        EXPECT_TRUE(codes::CheckTemplateField(true, c, (*rows)[2][c], codes).accepted) << c;
}

TEST_F(SpreadsheetWriter, ExportKeepsTextsUnderTheKindsHeadings)
{
    const SheetRows lines = {
        {"등록완료", "101", "1503", "김민수", "11", "Tervo중앙회", "012-3456-7890-12", "1011503",
         "김민수", "150000", "정상"},
        {"", "102", "201", "이영희", "03", "기업은행", "001234567890", "", "", "-5", ""},
    };
    ASSERT_TRUE(WriteExportWorkbook(ui, ExportKind::TransferLines, lines, path("l.xlsx")));
    EXPECT_EQ(ui.texts("wait"),
              QStringList({"자료 변환 중...현재 1건 처리", "자료 변환 중...현재 2건 처리"}));
    const auto rows = ReadFirstSheet(path("l.xlsx"));
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 3);
    EXPECT_EQ((*rows)[0], ExportHeadings(ExportKind::TransferLines));
    EXPECT_EQ((*rows)[1], lines[0]);
    EXPECT_EQ((*rows)[2], lines[1].mid(0, 10)); // read up to its last non-empty cell

    ui.clear();
    ASSERT_TRUE(ExportToSpreadsheet(ui, ExportKind::ConsentList,
                                    {{"등록완료", "홍길동", "A000000001", "11", "0123", "1011503",
                                      "790312", "2024-03-01", "2024-03-02", ""}},
                                    workspace().tempDir()));
    const QStringList opened = ui.texts("open");
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].startsWith(workspace().tempDir() + "출금동의_"));
    const auto consent = ReadFirstSheet(opened[0]);
    ASSERT_TRUE(consent);
    EXPECT_EQ((*consent)[0].size(), 10);
    EXPECT_EQ((*consent)[1][4], "0123");
}

TEST_F(SpreadsheetWriter, UnwritableTargetIsReported)
{
    const platform::Result<> written =
        WriteExportWorkbook(ui, ExportKind::ConsentList, {}, path("no/such/dir/x.xlsx"));
    EXPECT_FALSE(written);
    EXPECT_FALSE(written.error().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path("no/such/dir/x.xlsx")));

    // A target that cannot be replaced (here a folder of that name) keeps
    // what it held, and no part file stays behind.
    QDir().mkpath(path("out/busy.xlsx"));
    writeFile("out/busy.xlsx/inside", "earlier");
    EXPECT_FALSE(WriteExportWorkbook(ui, ExportKind::ConsentList, {}, path("out/busy.xlsx")));
    EXPECT_EQ(readFile("out/busy.xlsx/inside"), "earlier");
    EXPECT_EQ(QDir(path("out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"busy.xlsx"});
    writeFile("out/x.xlsx", "earlier");
    // An existing file is replaced whole.
    ASSERT_TRUE(WriteExportWorkbook(ui, ExportKind::ConsentList, {{"a"}}, path("out/x.xlsx")));
    EXPECT_TRUE(ReadFirstSheet(path("out/x.xlsx")));
}

TEST_F(SpreadsheetWriter, TheOldFileIsReplacedInOneStepNeverDeletedFirst)
{
    // Deleted first, a failed rename would leave neither file: the folder
    // must never see the old name go.
    writeFile("out/x.xlsx", "earlier");
    testing_support::FolderWatch watch(path("out"));
    ASSERT_TRUE(watch.watching());
    ASSERT_TRUE(WriteExportWorkbook(ui, ExportKind::ConsentList, {{"a"}}, path("out/x.xlsx")));
    EXPECT_TRUE(ReadFirstSheet(path("out/x.xlsx")));
    EXPECT_FALSE(watch.removed().contains("x.xlsx")) << watch.removed().join(' ').toStdString();
}
