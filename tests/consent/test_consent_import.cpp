// The consent import: the preview's checks, the duplicate and completeness
// rules, the report, and real spreadsheets as the screen reads them.

#include "codes/code_lists.h"
#include "consent/consent_import.h"
#include "consent/consent_register.h"
#include "platform/zip_archive.h"
#include "reports/spreadsheet_reader.h"
#include "shell/codec.h"
#include "shell/workspace.h"
#include "tests/support/data_fixture.h"

#include <QFile>
#include <gtest/gtest.h>
#include <xlsxwriter.h>

namespace {

using Rows = QList<QStringList>;

class ConsentImport : public testing_support::DataTest
{
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        addInstitution(QStringLiteral("제출단지"), "B000000002", "BB100", "BB200");
        ASSERT_TRUE(codes::ReloadCodeLists(db(), codes));
    }

    static QStringList row(const QString& name, const QString& bank, const QString& account,
                           const QString& payer, const QString& jumin, const QString& date = {},
                           const QString& institution = "B000000002")
    {
        return {name, institution, bank, account, payer, jumin, date, "25", "001", "y"};
    }
    Rows withTitles(const Rows& rows) const { return Rows{consent::ImportColumnNames()} + rows; }
    consent::ConsentImportOutcome run(const Rows& rows)
    {
        // The preview refuses an empty real-name number; the import must
        // still skip one that reaches it.
        const consent::ConsentPreview p = consent::CheckConsentRows(withTitles(rows), codes);
        return consent::ImportConsentRows(db(), ui, p.rows, "출금동의 등록/해지", "출금동의",
                                          "in.xlsx", workspace().tempDir());
    }
    QString writeXlsx(const QString& name, const Rows& rows, bool titles)
    {
        const QString file = path(name);
        lxw_workbook* wb = workbook_new(QFile::encodeName(file).constData());
        lxw_worksheet* ws = workbook_add_worksheet(wb, "Miradel");
        const Rows all = titles ? withTitles(rows) : rows;
        for (int r = 0; r < all.size(); ++r)
            for (int c = 0; c < all[r].size(); ++c)
                worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c),
                                       all[r][c].toUtf8().constData(), nullptr);
        EXPECT_EQ(workbook_close(wb), LXW_NO_ERROR);
        return file;
    }

    codes::CodeLists codes;
};

} // namespace

TEST_F(ConsentImport, PreviewNormalisesAndBlocks)
{
    const consent::ConsentPreview p = consent::CheckConsentRows(
        withTitles({row("홍길동", "13", "123-456-7890", "ab12", "800101"),
                    row("김철수", "9", "12a", "p1", "8001011234567", "20240230"),
                    row("이영희", "11", "1234567890", "p2", "800101", {}, "")}),
        codes);
    ASSERT_EQ(p.rows.size(), 4);
    EXPECT_EQ(p.rows[1][2], "12");
    EXPECT_EQ(p.rows[1][3], "1234567890");
    EXPECT_EQ(p.rows[1][6], "2024-03-15"); // empty means today
    EXPECT_EQ(p.rows[1][9], "Y");
    // Bank 09 is unknown, the 13-digit number and the date are wrong; the
    // account is listed apart; the row without institution fails column 2.
    ASSERT_EQ(p.errors.size(), 2);
    EXPECT_TRUE(p.errors[0].startsWith("[3행[김철수]: 3,6,7열]")) << p.errors[0].toStdString();
    EXPECT_TRUE(p.errors[0].endsWith("= 9,8001011234567,20240230"));
    EXPECT_TRUE(p.errors[1].startsWith("[4행[이영희]: 2열]"));
    EXPECT_EQ(p.accountErrors.size(), 1);
    EXPECT_TRUE(p.blocked());
}

TEST_F(ConsentImport, DuplicatesMissingNumbersAndTheReport)
{
    const Rows rows = {row("홍길동", "13", "123-456-7890", "ab12", "800101"),
                       row("김철수", "11", "2222222222", "p1", ""),
                       row("이영희", "11", "3333333333", "p2", "800101", "20240301")};
    const consent::ConsentImportOutcome first = run(rows);
    EXPECT_EQ(first.imported, 2);
    EXPECT_EQ(
        first.report,
        QStringList({"[신규]행번호:[1]= 기관:B000000002, 은행:12, 계좌:1234567890, 납부자:AB12",
                     "-->[주민번호 누락]행번호:[2]= 기관:B000000002, 은행:11, "
                     "계좌:2222222222, 납부자:P1",
                     "[신규]행번호:[3]= 기관:B000000002, 은행:11, 계좌:3333333333, "
                     "납부자:P2"}));
    EXPECT_EQ(dump("SELECT Bankcd, Bankno, DisplayBankno, NapbuNO, Status, RequestDate, "
                   "Autoichedate, BanksubCD, CheckJumin FROM TongRegister ORDER BY NAME"),
              "11|3333333333|00003333333333|P2|0|2024-03-01 00:00:00|25|001|1\n"
              "12|1234567890|00001234567890|AB12|0|2024-03-15 00:00:00|25|001|1");
    QFile report(workspace().tempDir() + "출금동의신청.txt");
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_EQ(shell::FromCp949(report.readAll()).count("\r\n"), 3);

    const consent::ConsentImportOutcome again = run(rows);
    EXPECT_EQ(again.imported, 0);
    ASSERT_EQ(again.report.size(), 3);
    EXPECT_TRUE(again.report[0].startsWith("-->[중복]행번호:[1]"));
    EXPECT_TRUE(again.report[1].startsWith("-->[주민번호 누락]행번호:[2]"));
    EXPECT_TRUE(again.report[2].startsWith("-->[중복]행번호:[3]"));
}

TEST_F(ConsentImport, InstitutionCodesAreStoredAsRegisteredAndCompareWithoutCase)
{
    const consent::ConsentImportOutcome first =
        run({row("홍길동", "11", "1111111111", "p1", "800101", {}, "b000000002")});
    EXPECT_EQ(first.imported, 1);
    EXPECT_EQ(dump("SELECT Giganid FROM TongRegister"), "B000000002");
    // The same consent typed in the other case is a duplicate, in an import
    // and on the register screen alike.
    const consent::ConsentImportOutcome again =
        run({row("홍길동", "11", "1111111111", "p1", "800101", {}, "B000000002"),
             row("김철수", "11", "2222222222", "p2", "800101", {}, "b000000002")});
    EXPECT_EQ(again.imported, 1);
    EXPECT_TRUE(again.report.value(0).startsWith("-->[중복]행번호:[1]"));
    consent::ConsentRegister reg(db(), ui);
    consent::ConsentRecord r;
    r.Giganid = "b000000002";
    r.Bankcd = "11";
    r.Bankno = "3333333333333";
    r.NAME = QStringLiteral("이영희");
    r.JuminNO = "800101";
    r.NapbuNO = "p3";
    ASSERT_TRUE(reg.Save(r).saved);
    consent::ConsentRecord twice = r;
    twice.Giganid = "b000000002";
    EXPECT_FALSE(reg.Save(twice).saved);
    EXPECT_EQ(dump("SELECT DISTINCT Giganid FROM TongRegister"), "B000000002");
    EXPECT_EQ(value("SELECT COUNT(*) FROM TongRegister").toInt(), 3);
}

TEST_F(ConsentImport, ScreenFlowShowsTheReportThenTheCount)
{
    const consent::ConsentPreview p =
        consent::CheckConsentRows(withTitles({row("a", "11", "1111111111", "p1", "800101"),
                                              row("b", "11", "1111111112", "p2", "800101"),
                                              row("c", "11", "1111111113", "p3", "800101")}),
                                  codes);
    consent::ImportConsents(db(), ui, p.rows, "출금동의 등록/해지", "출금동의", "x.xlsx",
                            workspace().tempDir());
    const QStringList info = ui.texts("info");
    ASSERT_EQ(info.size(), 2);
    EXPECT_TRUE(info[0].startsWith("총 3 건의 자료입니다.\r\r자세한 내역은 파일 \""));
    EXPECT_TRUE(info[0].endsWith("출금동의신청.txt\"를 참조하시기 바랍니다."));
    EXPECT_EQ(info[1], "3 건의 자료가 변환되었습니다.");
    EXPECT_EQ(ui.texts("open").size(), 1);
}

TEST_F(ConsentImport, RealSpreadsheetsWithAndWithoutTitles)
{
    const Rows rows = {row("홍길동", "11", "1111111111", "p1", "800101"),
                       row("김철수", "12", "2222222222", "p2", "800101"),
                       row("이영희", "13", "3333333333", "p3", "800101")};
    for (bool titles : {true, false}) {
        QString error;
        const auto sheet =
            reports::ReadFirstSheet(writeXlsx(titles ? "t.xlsx" : "n.xlsx", rows, titles));
        error = sheet.error();
        ASSERT_TRUE(sheet) << error.toStdString();
        const reports::SheetRows preview = reports::PreviewRows(*sheet, 10);
        // Every consent below the heading row, none taken for the titles.
        ASSERT_EQ(preview.size(), 4) << titles;
        EXPECT_EQ(preview[1][0], "홍길동");
        EXPECT_EQ(preview[3][0], "이영희");
    }

    // An .ods with a merged cell and a formula result in the same columns.
    writeFile("content.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">
<office:body><office:spreadsheet><table:table table:name="Miradel">
<table:table-row><table:table-cell table:number-columns-spanned="2" office:value-type="string"><text:p>출금동의 일괄등록</text:p></table:table-cell><table:covered-table-cell/></table:table-row>
<table:table-row><table:table-cell office:value-type="string"><text:p>이름</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>기관업체코드</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>은행코드</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>계좌번호</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>납부자번호</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>실명번호</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell office:value-type="string"><text:p>박영수</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>B000000002</text:p></table:table-cell><table:table-cell table:formula="of:=10+1" office:value-type="float" office:value="11"><text:p>11</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>4444444444</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>p4</text:p></table:table-cell><table:table-cell office:value-type="float" office:value="800101"><text:p>800101</text:p></table:table-cell></table:table-row>
</table:table></office:spreadsheet></office:body></office:document-content>)");
    writeFile("mimetype", "application/vnd.oasis.opendocument.spreadsheet");
    ASSERT_TRUE(platform::CreateZip(path("a.ods"), {path("mimetype"), path("content.xml")}).ok());
    QString error;
    const auto ods = reports::ReadFirstSheet(path("a.ods"));
    error = ods.error();
    ASSERT_TRUE(ods) << error.toStdString();
    const consent::ConsentPreview p =
        consent::CheckConsentRows(reports::PreviewRows(*ods, 10), codes);
    ASSERT_EQ(p.rows.size(), 2);
    EXPECT_FALSE(p.blocked()) << p.errors.join("\n").toStdString();
    EXPECT_EQ(consent::ImportConsentRows(db(), ui, p.rows, "t", "출금동의", "a.ods",
                                         workspace().tempDir())
                  .imported,
              1);
    EXPECT_EQ(value("SELECT Bankcd FROM TongRegister WHERE NAME = '박영수'").toString(), "11");
}

TEST(ConsentSearch, EveryGivenFieldMustMatch)
{
    QList<consent::ConsentRecord> rows(3);
    rows[0].NAME = "홍길동";
    rows[0].Bankno = "1";
    rows[1].NAME = "김철수";
    rows[1].Bankno = "2";
    rows[2].NAME = "홍길동";
    rows[2].Bankno = "2";
    EXPECT_EQ(consent::FindConsent(rows, 0, {"홍길동", "", "", ""}), 0);
    EXPECT_EQ(consent::FindConsent(rows, 1, {"홍길동", "", "", ""}), 2);
    EXPECT_EQ(consent::FindConsent(rows, 0, {"홍길동", "", "2", ""}), 2);
    EXPECT_EQ(consent::FindConsent(rows, 3, {"홍길동", "", "", ""}), -1);
    EXPECT_EQ(consent::FindConsent(rows, 0, {"홍", "", "", ""}), -1); // exact, not a prefix
    EXPECT_EQ(consent::FindConsent(rows, 1, {}), 1);
}
