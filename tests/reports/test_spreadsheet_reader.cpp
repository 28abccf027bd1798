#include "platform/zip_archive.h"
#include "reports/spreadsheet_reader.h"
#include "shell/codec.h"
#include "shell/workspace.h"
#include "tests/support/workspace_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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
    const SheetRows expected = {
        {"이름", "계좌번호", "금액"}, {"홍길동", "0123456789", "150000"}, {}, {"", "", "12.5"}};
    QString error;
    const auto xlsx = ReadFirstSheet(writeXlsx("a.xlsx"));
    error = xlsx.error();
    ASSERT_TRUE(xlsx) << error.toStdString();
    EXPECT_EQ(*xlsx, expected);

    const QByteArray csvText = "이름,계좌번호,금액\r\n홍길동,0123456789,150000\r\n,,\r\n,,12.5\r\n";
    writeFile("utf8.csv", "\xEF\xBB\xBF" + csvText);
    writeFile("cp949.csv", shell::ToCp949(QString::fromUtf8(csvText)));
    for (const char* name : {"utf8.csv", "cp949.csv"}) {
        const auto csv = ReadFirstSheet(path(name));
        error = csv.error();
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
    ASSERT_TRUE(platform::CreateZip(path("a.ods"), {path("mimetype"), path("content.xml")}).ok());
    const auto ods = ReadFirstSheet(path("a.ods"));
    error = ods.error();
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
        const auto sheet = ReadFirstSheet(path(name));
        error = sheet.error();
        EXPECT_FALSE(sheet) << name;
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
    for (const Forgery& f :
         {Forgery{"packed.xlsx", 20, 0xFFFFF74Fu}, Forgery{"unpacked.xlsx", 24, 0x7FFFFFFFu}}) {
        QByteArray forged = good;
        for (int i = 0; i < 4; ++i) {
            forged[central + f.offset + i] = char((f.value >> (8 * i)) & 0xFF);
            forged[f.offset - 2 + i] = char((f.value >> (8 * i)) & 0xFF);
        }
        writeFile(f.name, forged);
        QString error;
        const auto sheet = ReadFirstSheet(path(f.name));
        error = sheet.error();
        EXPECT_FALSE(sheet) << f.name;
        EXPECT_TRUE(
            error.startsWith(QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") + path(f.name)) ||
            error == QStringLiteral("파일이 너무 큽니다: ") + path(f.name))
            << error.toStdString();
    }
}

// Files that LibreOffice Calc saved (tests/data/libreoffice/make_fixtures.sh
// made them) read as the file they were made from: the consent part of the
// consent sheets, every row of the lines export.
TEST_F(SpreadsheetReader, LibreOfficeFilesReadAsTheirOriginals)
{
    // The import trims every cell, and the ods filter reads a run of
    // spaces as one.
    const auto trimmed = [](SheetRows rows) {
        for (QStringList& row : rows)
            for (QString& cell : row)
                cell = cell.trimmed();
        return rows;
    };
    const QDir dir(PELMAR_SHEET_FIXTURES);
    const auto read = [&](const QString& name) {
        QString error;
        const auto rows = ReadFirstSheet(dir.filePath(name));
        error = rows.error();
        EXPECT_TRUE(rows) << name.toStdString() << ": " << error.toStdString();
        return rows ? *rows : SheetRows{};
    };
    struct Case
    {
        const char* original;
        const char* base; // of the files LibreOffice saved
        bool wholeSheet;
    };
    const QStringList every = {"ods", "xlsx", "xls", "csv", "cp949.csv"};
    for (const Case& c :
         {Case{"template.xlsx", "template", false}, Case{"filled.csv", "filled", false},
          Case{"filled.csv", "odd", false}, Case{"lines.xlsx", "lines", true}}) {
        const SheetRows original = read(c.original);
        ASSERT_GE(original.size(), 2) << c.original;
        for (const QString& suffix : every) {
            const QString name = QString("%1.lo.%2").arg(c.base, suffix);
            if (!dir.exists(name))
                continue;
            SCOPED_TRACE(name.toStdString());
            const SheetRows saved = read(name);
            if (c.wholeSheet)
                EXPECT_EQ(saved, original);
            else
                EXPECT_EQ(trimmed(reports::PreviewRows(saved, 10)),
                          trimmed(reports::PreviewRows(original, 10)));
        }
    }
}

// The program's side of the reading process: whatever ends it or comes out
// of it other than a whole answer is an unreadable file, not a crash.
TEST_F(SpreadsheetReader, AReaderThatDiesOrBabblesMeansAnUnreadableFile)
{
    writeFile("a.csv", "이름,금액\n홍길동,100\n");
    QProcess real;
    real.start(reports::SheetReaderProgram(), {path("a.csv")});
    ASSERT_TRUE(real.waitForFinished(60000));
    const QByteArray answer = real.readAllStandardOutput();
    const auto read = reports::ReadSheetAnswer(answer);
    QString error;
    ASSERT_TRUE(read);
    const platform::Result<SheetRows>& rows = *read;
    ASSERT_TRUE(rows);
    EXPECT_EQ(*rows, SheetRows({{"이름", "금액"}, {"홍길동", "100"}}));
    writeFile("answer", answer.left(answer.size() - 2));

    struct Case
    {
        const char* name;
        QByteArray script; // the stand-in reader, or nothing for none
    } cases[] = {
        {"crash", "#!/bin/sh\nkill -SEGV $$\n"},
        {"abort after a partial answer",
         "#!/bin/sh\nhead -c 20 " + path("answer").toUtf8() + "\nkill -ABRT $$\n"},
        {"cut answer", "#!/bin/sh\ncat " + path("answer").toUtf8() + "\n"},
        {"noise", "#!/bin/sh\necho 이름,금액\n"},
        {"failure", "#!/bin/sh\nexit 1\n"},
        {"missing", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString dir = path(QString("shipped-%1/").arg(&c - cases));
        QDir().mkpath(dir);
        if (!c.script.isEmpty()) {
            QFile f(dir + "pelmar-sheet");
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.script);
            f.close();
            f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        shell::SetShippedDir(dir);
        error.clear();
        const auto sheet = ReadFirstSheet(path("a.csv"));
        error = sheet.error();
        EXPECT_FALSE(sheet);
        EXPECT_EQ(error, "파일을 읽을 수 없습니다.");
    }
    shell::SetShippedDir(shell::ExecutableDir());
    EXPECT_TRUE(ReadFirstSheet(path("a.csv")));
}

// Rows come as the sheet has them, whatever the widest row; a sheet beyond
// the limits is refused whole, not cut, and before its rows are built.
TEST_F(SpreadsheetReader, RaggedRowsAsTheyAreAndOversizedSheetsRefused)
{
    QByteArray ragged;
    for (int c = 0; c < reports::kMaxSheetColumns; ++c)
        ragged += (c ? "," : "") + QByteArray::number(c);
    ragged += "\n" + QByteArray("x\n").repeated(reports::kMaxSheetRows - 1);
    writeFile("ragged.csv", ragged);
    QString error;
    const auto rows = ReadFirstSheet(path("ragged.csv"));
    error = rows.error();
    ASSERT_TRUE(rows) << error.toStdString();
    ASSERT_EQ(rows->size(), reports::kMaxSheetRows);
    EXPECT_EQ(rows->first().size(), reports::kMaxSheetColumns);
    EXPECT_EQ(rows->last(), QStringList{"x"});

    writeFile("rows.csv", ragged + "x\n");
    writeFile("columns.csv", QByteArray("a,").repeated(reports::kMaxSheetColumns) + "a\n");
    const int width = 250; // rows within the limits, their cells beyond
    writeFile("cells.csv", (QByteArray("1,").repeated(width - 1) + "1\n")
                               .repeated(int(reports::kMaxSheetCells / width) + 1));
    // A million empty rows and a cell: the file is small, the sheet is not.
    writeFile("content.xml",
              R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">
<office:body><office:spreadsheet><table:table table:name="S">
<table:table-row table:number-rows-repeated="1000000"><table:table-cell/></table:table-row>
<table:table-row><table:table-cell office:value-type="float" office:value="1"/></table:table-row>
</table:table></office:spreadsheet></office:body></office:document-content>)");
    writeFile("mimetype", "application/vnd.oasis.opendocument.spreadsheet");
    ASSERT_TRUE(
        platform::CreateZip(path("rows.ods"), {path("mimetype"), path("content.xml")}).ok());
    for (const char* name : {"rows.csv", "columns.csv", "cells.csv", "rows.ods"}) {
        error.clear();
        const auto sheet = ReadFirstSheet(path(name));
        error = sheet.error();
        EXPECT_FALSE(sheet) << name;
        EXPECT_TRUE(error.startsWith(QStringLiteral("시트가 너무 큽니다: ") + path(name)))
            << name << ": " << error.toStdString();
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
    const SheetRows sheet = {{"<주의>", "x", "y"},       {"", "", ""},         {"메모", "", ""},
                             {" 이름 ", "계좌", "금액"}, {"홍길동", "1", "2"}, {"", "3", "4"},
                             {"김철수", "5", "6"}};
    EXPECT_EQ(reports::PreviewRows(sheet, 2),
              SheetRows({{" 이름 ", "계좌"}, {"홍길동", "1"}, {"김철수", "5"}}));
    // Without a title row an empty one comes first and every row with a
    // first cell follows, none lost.
    const SheetRows plain = {{"a", "1"}, {"", "2"}, {"b", "3"}};
    EXPECT_EQ(reports::PreviewRows(plain, 5), SheetRows({{}, {"a", "1"}, {"b", "3"}}));
    EXPECT_EQ(reports::PreviewRows({}, 3), SheetRows({{}}));
}
