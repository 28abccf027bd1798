// Consent sheets as branches bring them: the program's template and a filled
// list saved by LibreOffice Calc in every format it offers, and a sheet made
// by hand in Calc. pelmar-tool must import each to the same consents as the
// file it was made from (the files and the script that made them are in
// tests/data/libreoffice/).

#include "store/database.h"
#include "tests/support/program_run.h"
#include "tests/support/workspace_fixture.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace {

class ConsentSheets : public testing_support::WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        ASSERT_EQ(tool({"prepare-db"}).exitCode, 0);
        // The institution of the template's example and of the filled list.
        exec("INSERT INTO UserCode (Name, APID10, APPASS, BankNoApt) VALUES "
             "('푸른마을아파트', '000001', 'pw1234', '301-1234-5678-91')");
    }
    testing_support::ProgramRun tool(const QStringList& args)
    {
        return testing_support::RunProgram(PELMAR_TOOL, home(), QStringList{"--quiet"} + args);
    }
    QStringList exec(const QString& statement)
    {
        QStringList rows;
        {
            EXPECT_TRUE(store::OpenDatabase("Sheets", path("Data/Pelmar.db")).ok());
            QSqlQuery q(QSqlDatabase::database("Sheets"));
            EXPECT_TRUE(q.exec(statement)) << statement.toStdString();
            while (q.next()) {
                QStringList row;
                for (int c = 0; c < q.record().count(); ++c)
                    row.append(q.value(c).toString());
                rows.append(row.join('|'));
            }
        }
        store::CloseDatabase("Sheets");
        return rows;
    }
    // The consents that importing `file` into an empty register gives.
    QStringList consentsOf(const QString& file)
    {
        exec("DELETE FROM TongRegister");
        const testing_support::ProgramRun r =
            tool({"import-consents", QDir(PELMAR_SHEET_FIXTURES).filePath(file)});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.startsWith("accepted\t")) << r.out.toStdString();
        return exec("SELECT NAME, Giganid, Bankcd, Bankno, DisplayBankno, NapbuNO, JuminNO, "
                    "Status, RequestDate, Autoichedate, BanksubCD, CheckJumin FROM TongRegister "
                    "ORDER BY NAME");
    }
};

TEST_F(ConsentSheets, EveryFileLibreOfficeSavedImportsAsItsOriginal)
{
    const QStringList formats = {"ods", "xlsx", "xls", "csv", "cp949.csv"};
    struct Case
    {
        const char* original;
        const char* base; // of the files LibreOffice saved
        qsizetype consents;
    };
    for (const Case& c : {Case{"template.xlsx", "template", 1}, Case{"filled.csv", "filled", 3},
                          Case{"filled.csv", "odd", 3}}) {
        const QStringList expected = consentsOf(c.original);
        ASSERT_EQ(expected.size(), c.consents) << c.original;
        for (const QString& format : formats) {
            const QString name = QString("%1.lo.%2").arg(c.base, format);
            SCOPED_TRACE(name.toStdString());
            EXPECT_EQ(consentsOf(name), expected);
        }
    }
}

// The same list as other writers make it (tests/data/<writer>/, each with
// the script that made it): every one imports to the consents of the list
// it was made from.
TEST_F(ConsentSheets, EveryOtherWriterImportsAsTheOriginal)
{
    // The reader's temporary files go where the test sees them.
    const QString tmp = path("tmp");
    ASSERT_TRUE(QDir().mkpath(tmp));
    struct TempDir
    {
        QByteArray before = qgetenv("TMPDIR");
        explicit TempDir(const QString& dir) { qputenv("TMPDIR", QFile::encodeName(dir)); }
        ~TempDir()
        {
            before.isNull() ? void(qunsetenv("TMPDIR")) : void(qputenv("TMPDIR", before));
        }
    } tempDir(tmp);
    const QStringList expected = consentsOf("filled.csv");
    ASSERT_EQ(expected.size(), 3);
    for (const char* file : {
             "xlsxwriter/inline.xlsx",     // inline strings
             "gnumeric/filled.xlsx",       // inline strings
             "openpyxl/filled.xlsx",       // inline strings, absolute part targets
             "sheetjs/filled.xlsx",        // text as t="str" without a formula
             "exceljs/second-part.xlsx",   // the first sheet in sheet2.xml
             "sheetjs/dates.xlsx",         // ISO date cells
             "xlsxwriter/date1904.xlsx",   // the 1904 date system
             "odfpy/formula.ods",          // formulas that yield text
             "libreoffice/formula.lo.ods", // the same saved by LibreOffice
             "xlsxwriter/zeros.xlsx",      // numbers shown with leading zeros
             "xlsxwriter/datetime.xlsx",   // dates with a time of day
             "sheetjs/serial-dates.xlsx",  // dates 52 seconds past midnight
             "exceljs/filled.xlsx",
             "pandas/filled.xlsx",
             "sheetjs/filled.ods",
             "gnumeric/filled.xls",
             "gnumeric/filled.ods",
             // A small workbook in the mini stream under a root entry
             // named "R", an empty LABEL record for each empty cell.
             "sheetjs/filled.xls",
             // The same with an empty string in the shared string table.
             "sheetjs/shared-strings.xls",
         }) {
        SCOPED_TRACE(file);
        EXPECT_EQ(consentsOf(QString(PELMAR_TEST_DATA "/") + file), expected);
    }
    // The long list, its shared strings spread over CONTINUE records.
    const QStringList long_ = consentsOf(PELMAR_TEST_DATA "/sheetjs/long.csv");
    EXPECT_EQ(long_.size(), 300);
    EXPECT_EQ(consentsOf(PELMAR_TEST_DATA "/sheetjs/long.xls"), long_);
    // The copy of a workbook made for the .xls reader is gone.
    EXPECT_EQ(QDir(tmp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

// Sheets that must be refused as a whole, the reason said and nothing stored.
TEST_F(ConsentSheets, SheetsThatCannotBeImportedSaySo)
{
    // SheetJS's list with the mini stream's allocation table cut after the
    // workbook's first 64 bytes: neither libfreexl nor the reader's own copy
    // has the workbook.
    QFile sheetJs(PELMAR_TEST_DATA "/sheetjs/filled.xls");
    ASSERT_TRUE(sheetJs.open(QIODevice::ReadOnly));
    QByteArray cut = sheetJs.readAll();
    ASSERT_EQ(cut.mid(0x404, 4), QByteArray("\x02\0\0\0", 4)); // mini sector 1 goes on to 2
    writeFile("cut-mini-stream.xls", cut.replace(0x404, 4, QByteArray("\xFE\xFF\xFF\xFF", 4)));
    struct Case
    {
        QString file;
        const char* says;
    };
    const QString data = PELMAR_TEST_DATA "/";
    for (const Case& c : {
             // 1 typed as a number without its zeros: never taken for 000001
             // (the row as the preview counts it, the titles being its first).
             Case{data + "xlsxwriter/institution-number.xlsx", "[3행[김영희]: 2열]            = 1"},
             Case{data + "xlsxwriter/no-rows.xlsx",
                  "읽을 자료 행을 찾지 못했습니다: " PELMAR_TEST_DATA "/xlsxwriter/no-rows.xlsx\n"
                  "첫 칸이 \"이름\"인 제목 행 아래에 첫 칸이 채워진 행이 없습니다."},
             Case{path("cut-mini-stream.xls"), "미니 스트림"},
         }) {
        SCOPED_TRACE(c.file.toStdString());
        exec("DELETE FROM TongRegister");
        const auto r = tool({"import-consents", c.file});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        EXPECT_TRUE(exec("SELECT * FROM TongRegister").isEmpty());
    }
}

// An installation whose reader crashes on the file: the tool reports the
// file unreadable and goes on to exit as on any refused file.
TEST_F(ConsentSheets, AReaderThatCrashesLeavesTheToolStanding)
{
    const QString installed = path("installed/");
    ASSERT_TRUE(QDir().mkpath(installed));
    ASSERT_TRUE(QFile::copy(PELMAR_TOOL, installed + "pelmar-tool"));
    QFile reader(installed + "pelmar-sheet");
    ASSERT_TRUE(reader.open(QIODevice::WriteOnly));
    reader.write("#!/bin/sh\nkill -SEGV $$\n");
    reader.close();
    reader.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString file = QDir(PELMAR_SHEET_FIXTURES).filePath("filled.lo.ods");
    const auto r = testing_support::RunProgram(qPrintable(installed + "pelmar-tool"), home(),
                                               {"import-consents", file});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.trimmed(), "error: 파일을 읽을 수 없습니다.");
    EXPECT_TRUE(exec("SELECT * FROM TongRegister").isEmpty());
    EXPECT_EQ(consentsOf("filled.lo.ods").size(), 3); // the shipped reader reads it
}

} // namespace
