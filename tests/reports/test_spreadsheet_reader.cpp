#include "platform/zip_archive.h"
#include "reports/spreadsheet_reader.h"
#include "shell/codec.h"
#include "tests/support/workspace_fixture.h"

#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <xlsxwriter.h>

using reports::ReadFirstSheet;
using reports::SheetRows;

class SpreadsheetReader : public testing_support::WorkspaceTest
{
protected:
    QString writeXlsx(const QString& name)
    {
        const QString file = path(name);
        lxw_workbook* wb = workbook_new(QFile::encodeName(file).constData());
        lxw_worksheet* ws = workbook_add_worksheet(wb, "Miradel");
        worksheet_write_string(ws, 0, 0, "이름", nullptr);
        worksheet_write_string(ws, 0, 1, "계좌번호", nullptr);
        worksheet_write_string(ws, 0, 2, "금액", nullptr);
        worksheet_write_string(ws, 1, 0, "홍길동", nullptr);
        worksheet_write_string(ws, 1, 1, "0123456789", nullptr); // text keeps the zero
        worksheet_write_number(ws, 1, 2, 150000, nullptr);
        worksheet_write_number(ws, 3, 2, 12.5, nullptr); // row 2 left empty
        lxw_worksheet* second = workbook_add_worksheet(wb, "other");
        worksheet_write_string(second, 0, 0, "not read", nullptr);
        EXPECT_EQ(workbook_close(wb), LXW_NO_ERROR);
        return file;
    }
};

TEST_F(SpreadsheetReader, FirstSheetOfEachFormatAsTexts)
{
    // Rows as the sheet has them: an empty row is empty, none is padded.
    const SheetRows expected = {{"이름", "계좌번호", "금액"},
                                {"홍길동", "0123456789", "150000"},
                                {},
                                {"", "", "12.5"}};
    QString error;
    const auto xlsx = ReadFirstSheet(writeXlsx("a.xlsx"), &error);
    ASSERT_TRUE(xlsx) << error.toStdString();
    EXPECT_EQ(*xlsx, expected);

    const QByteArray csvText = "이름,계좌번호,금액\r\n홍길동,0123456789,150000\r\n,,\r\n,,12.5\r\n";
    writeFile("utf8.csv", "\xEF\xBB\xBF" + csvText);
    writeFile("cp949.csv", shell::ToCp949(QString::fromUtf8(csvText)));
    for (const char* name : {"utf8.csv", "cp949.csv"}) {
        const auto csv = ReadFirstSheet(path(name), &error);
        ASSERT_TRUE(csv) << name << error.toStdString();
        // A CSV keeps the zero and reads numbers as they stand.
        EXPECT_EQ((*csv)[0], expected[0]) << name;
        EXPECT_EQ((*csv)[1][0], "홍길동") << name;
        EXPECT_EQ((*csv)[1][2], "150000") << name;
        EXPECT_EQ((*csv)[3][2], "12.5") << name;
    }

    writeFile("content.xml",
              R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">
<office:body><office:spreadsheet><table:table table:name="Miradel">
<table:table-row><table:table-cell office:value-type="string"><text:p>이름</text:p></table:table-cell>
<table:table-cell office:value-type="float" office:value="42"><text:p>42</text:p></table:table-cell></table:table-row>
</table:table></office:spreadsheet></office:body></office:document-content>)");
    writeFile("mimetype", "application/vnd.oasis.opendocument.spreadsheet");
    ASSERT_TRUE(platform::CreateZip(path("a.ods"), {path("mimetype"), path("content.xml")}).ok);
    const auto ods = ReadFirstSheet(path("a.ods"), &error);
    ASSERT_TRUE(ods) << error.toStdString();
    EXPECT_EQ(*ods, SheetRows({{"이름", "42"}}));
}

TEST_F(SpreadsheetReader, BrokenFilesGiveAMessageNeverACrash)
{
    QByteArray noise(4096, '\0');
    QRandomGenerator rng(7);
    for (char& c : noise)
        c = char(rng.bounded(256));
    const QByteArray xlsx = [&] {
        writeXlsx("good.xlsx");
        return readFile("good.xlsx");
    }();
    writeFile("noise.xlsx", noise);
    writeFile("noise.xls", noise);
    writeFile("noise.ods", noise);
    writeFile("cut.xlsx", xlsx.left(xlsx.size() / 2));
    writeFile("empty.xls", {});
    writeFile("empty.xlsx", {});
    writeFile("list.txt", "a,b\r\n");
    for (const char* name : {"noise.xlsx", "noise.xls", "noise.ods", "cut.xlsx", "empty.xls",
                             "empty.xlsx", "list.txt", "missing.xlsx"}) {
        QString error;
        EXPECT_FALSE(ReadFirstSheet(path(name), &error)) << name;
        EXPECT_FALSE(error.isEmpty()) << name;
    }
    // An empty CSV is an empty sheet, not an error.
    writeFile("empty.csv", {});
    const auto rows = ReadFirstSheet(path("empty.csv"));
    ASSERT_TRUE(rows);
    EXPECT_TRUE(rows->isEmpty());
}

// The parser reads a part whole at the size the archive declares: a forged
// size is refused from the directory, before any memory is taken for it.
TEST_F(SpreadsheetReader, ForgedPartSizesAreRefusedBeforeParsing)
{
    const QByteArray good = [&] {
        QFile f(writeXlsx("good.xlsx"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }();
    const qsizetype central = good.indexOf("PK\x01\x02");
    ASSERT_GT(central, 0);
    struct Forgery
    {
        const char* name;
        int offset; // of the size in the central directory entry
        quint32 value;
    };
    // The first part's size, in its local header (4 bytes earlier) as well,
    // so that the archive stays consistent.
    for (const Forgery& f : {Forgery{"packed.xlsx", 20, 0xFFFFF74Fu},
                             Forgery{"unpacked.xlsx", 24, 0x7FFFFFFFu}}) {
        QByteArray forged = good;
        for (int i = 0; i < 4; ++i) {
            forged[central + f.offset + i] = char((f.value >> (8 * i)) & 0xFF);
            forged[f.offset - 2 + i] = char((f.value >> (8 * i)) & 0xFF);
        }
        writeFile(f.name, forged);
        QString error;
        EXPECT_FALSE(ReadFirstSheet(path(f.name), &error)) << f.name;
        EXPECT_TRUE(error.startsWith(QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") + path(f.name)) ||
                    error == QStringLiteral("파일이 너무 큽니다: ") + path(f.name))
            << error.toStdString();
    }
}

TEST(NumberText, ReadsAsTheSheetShowsIt)
{
    EXPECT_EQ(reports::NumberText(150000), "150000");
    EXPECT_EQ(reports::NumberText(-3), "-3");
    EXPECT_EQ(reports::NumberText(12.5), "12.5");
    EXPECT_EQ(reports::NumberText(1234567890123.0), "1234567890123");
    EXPECT_EQ(reports::NumberText(0.1 + 0.2), "0.3");
}

TEST(PreviewRows, StartAtTheTitleRowAndSkipRowsWithoutAFirstCell)
{
    const SheetRows sheet = {{"<주의>", "x", "y"},
                             {"", "", ""},
                             {"메모", "", ""},
                             {" 이름 ", "계좌", "금액"},
                             {"홍길동", "1", "2"},
                             {"", "3", "4"},
                             {"김철수", "5", "6"}};
    EXPECT_EQ(reports::PreviewRows(sheet, 2),
              SheetRows({{" 이름 ", "계좌"}, {"홍길동", "1"}, {"김철수", "5"}}));
    // Without a title row an empty one comes first and every row with a
    // first cell follows, none lost.
    const SheetRows plain = {{"a", "1"}, {"", "2"}, {"b", "3"}};
    EXPECT_EQ(reports::PreviewRows(plain, 5), SheetRows({{}, {"a", "1"}, {"b", "3"}}));
    EXPECT_EQ(reports::PreviewRows({}, 3), SheetRows({{}}));
}
