#include "shell/codec.h"
#include "shell/import_helpers.h"
#include "shell/text_helpers.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/line_import.h"

#include <QFile>

using transfer::ImportLayout;
using transfer::ImportOutcome;
using transfer::ImportTarget;
using transfer::LineImport;

namespace {

// 동 1/4, 호 5/4, 입주자명 9/10, 은행코드 19/2, 계좌번호 21/20, 이체금액 41/12,
// 실명번호 53/14, 예금주명 67/10.
ImportLayout testLayout()
{
    ImportLayout l;
    l.Name = "관리비";
    const int starts[] = {1, 5, 9, 19, 21, 41, 53, 67};
    const int sizes[] = {4, 4, 10, 2, 20, 12, 14, 10};
    for (int i = 0; i < transfer::ItemCount; ++i) {
        l.start[i] = starts[i];
        l.size[i] = sizes[i];
    }
    return l;
}

QByteArray record(const QString& dong, const QString& ho, const QString& name, const QString& bank,
                  const QString& account, const QString& amount, const QString& jumin,
                  const QString& holder)
{
    const auto cell = [](const QString& text, int width) {
        return shell::PadBytes(shell::ToCp949(text), width, true, ' ');
    };
    return cell(dong, 4) + cell(ho, 4) + cell(name, 10) + cell(bank, 2) + cell(account, 20) +
           cell(amount, 12) + cell(jumin, 14) + cell(holder, 10);
}

} // namespace

TEST(ResidentNumberRule, SetsGrowWithTheDate)
{
    struct Case
    {
        const char* bank;
        int date;
        const char* value;
        bool refused;
    } cases[] = {
        {"11", 20240315, "8001011234567", true},   // 13 digits after 2014-08-06
        {"11", 20240315, "800101", false},         // a birth date
        {"11", 20240315, " 800101123456 ", false}, // 12 once trimmed
        {"11", 20140806, "8001011234567", false},  // 10-18 only after the 6th
        {"21", 20140806, "8001011234567", true},   {"21", 20140805, "8001011234567", false},
        {"02", 20140805, "8001011234567", true},   {"02", 20140804, "8001011234567", false},
        {"03", 20140804, "8001011234567", true},   {"03", 20140803, "8001011234567", false},
        {"90", 20240315, "8001011234567", false}, // never in a set
        {"ab", 20240315, "8001011234567", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::RefusesResidentNumber(c.bank, c.date, c.value), c.refused)
            << c.bank << " " << c.date << " " << c.value;
}

TEST(SplitRecords, LinesWholeAndFixedBlocks)
{
    const QByteArray longLine(300, 'x');
    const auto split = [](const QByteArray& bytes, int len) {
        const auto records = transfer::SplitRecords(bytes, len);
        return records ? *records : QList<QByteArray>{"failed"};
    };
    EXPECT_EQ(split("a\r\nbb\n\n" + longLine + "\r\n", 0),
              QList<QByteArray>({"a", "bb", "", longLine}));
    // Every line end ends a record, whatever the record length says.
    EXPECT_EQ(split("a\rbb\r\rc", 0), QList<QByteArray>({"a", "bb", "", "c"}));
    EXPECT_EQ(split("abcd\r\nefgh", 6), QList<QByteArray>({"abcd", "efgh"}));
    EXPECT_EQ(split("abcd\refg\r", 6), QList<QByteArray>({"abcd", "efg"}));
    EXPECT_EQ(split("abcdefghij", 4), QList<QByteArray>({"abcd", "efgh", "ij"}));
    // A line as long as a record leaves no byte for its line end.
    const auto tooLong = transfer::SplitRecords("abcd\refghij\r", 6);
    ASSERT_FALSE(tooLong);
    EXPECT_TRUE(tooLong.error().startsWith("2번째 줄이 6바이트로"))
        << tooLong.error().toStdString();
    EXPECT_TRUE(split({}, 0).isEmpty());
    EXPECT_TRUE(split({}, 5).isEmpty());
}

TEST(TitleLine, BeginningsThatEndTheHeader)
{
    for (const char* text : {"이름  계좌", "  은행코드", "동 호", "동"})
        EXPECT_TRUE(shell::IsTitleLine(shell::ToCp949(QString::fromUtf8(text)))) << text;
    for (const char* text : {"101 1203", "  이 름", "호수", ""})
        EXPECT_FALSE(shell::IsTitleLine(shell::ToCp949(QString::fromUtf8(text)))) << text;
}

class LineImportTest : public TransferTest
{
protected:
    void SetUp() override
    {
        TransferTest::SetUp();
        addBatch(7, 1);
    }
    ImportOutcome import(const QByteArray& bytes, const ImportLayout& layout = testLayout(),
                         ImportTarget target = ImportTarget::Batch, int aptId = 7)
    {
        writeFile("in.prn", bytes);
        LineImport li(*dm, ui, target, aptId, QDate(2024, 3, 20), 5000000);
        return li.Run(layout, path("in.prn"));
    }
};

TEST_F(LineImportTest, MixedFileGivesTheExactErrorList)
{
    const QList<QByteArray> records = {
        record("101", "1203", "홍길동", "11", "000-1234-5678-901", "1,000,000", "800101", "홍길순"),
        record("102", "301", "김철수", "12", "000-1234-5678-901", "5000", "", "김영희"),
        record("103", "1", "이영수", "7", "1234567890", "5000", "", ""),
        record("103", "2", "이영수", "20", "1234567890", "5000", "", ""),
        record("103", "3", "이영수", "ab", "1234567890", "5000", "", ""),
        record("103", "4", "이영수", "11", "12-34a", "5000", "", ""),
        record("103", "5", "이영수", "11", "1234567890", "1,2a", "", ""),
        record("103", "6", "이영수", "11", "1234567890", "5,000,001", "", ""),
        record("103", "7", "이영수", "11", "1234567890", "5000", "8001011234567", ""),
        record("동", "호", "입주자명", "은행", "계좌번호", "이체금액", "", ""),
        "   ",
    };
    const ImportOutcome out = import(records.join("\r\n") + "\r\n");
    ASSERT_TRUE(out.read);
    EXPECT_EQ(out.imported, 2);
    EXPECT_EQ(out.errors, QStringList({"타행계좌 처리불가", "타행계좌 처리불가", "은행코드 오류",
                                       "계좌번호 오류", "이체금액 오류", "이체금액 한도 초과",
                                       "실명번호 오류", "은행코드 오류"}));
    ASSERT_EQ(out.items.size(), 8);
    EXPECT_EQ(out.items[0], shell::FromCp949(records[2]));

    EXPECT_EQ(value("SELECT BankNo FROM Apt2 WHERE Dong = '101'").toString(), "12345678901");
    EXPECT_EQ(value("SELECT IcheMoney FROM Apt2 WHERE Dong = '101'").toLongLong(), 1000000);
    EXPECT_EQ(value("SELECT Kita || '/' || Bigo || '/' || NapbuNo || '/' || CAST(HoInt AS INTEGER) "
                    "FROM Apt2 WHERE "
                    "Dong = '101'")
                  .toString(),
              "홍길순/홍길동/800101/1203");
    EXPECT_EQ(value("SELECT BankNo FROM Apt2 WHERE Dong = '102'").toString(), "00012345678901");
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2 WHERE AptID = 7 AND IcheYebu = 'Z' AND State = 1 "
                    "AND IcheDate = '2024-03-20'"),
              2);
}

TEST_F(LineImportTest, FieldsBeyondByte255AreRead)
{
    ImportLayout l = testLayout();
    l.start[transfer::Holder] = 301;
    const QByteArray line =
        record("101", "1", "홍길동", "11", "1234567890", "100", "", "").leftJustified(300, ' ') +
        shell::ToCp949("예금주");
    ASSERT_TRUE(import(line, l).read);
    EXPECT_EQ(value("SELECT Kita FROM Apt2").toString(), "예금주");

    // The same for the preview's reader.
    writeFile("long.txt", line);
    const platform::Result<shell::Grid> grid =
        shell::ReadFixedColumns(2, path("long.txt"), l.rows());
    ASSERT_TRUE(grid.ok());
    ASSERT_EQ(grid->size(), 2);
    EXPECT_EQ((*grid)[1].last(), "예금주");
}

TEST_F(LineImportTest, Utf8FilesAreReadAsTextNeverAsMojibake)
{
    const QByteArray cp949 = record("101", "1", "홍길동", "11", "1234567890", "100", "", "김영희");
    ASSERT_TRUE(import(shell::FromCp949(cp949).toUtf8()).read);
    EXPECT_EQ(value("SELECT Bigo || Kita FROM Apt2").toString(), "홍길동김영희");

    // Characters CP949 has no code for: the file is refused whole.
    EXPECT_FALSE(import(QString("101 1   \U0001F600 11").toUtf8()).read);
    EXPECT_EQ(ui.texts("error").size(), 1);
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2"), 1);
}

TEST_F(LineImportTest, OddFilesRejectRecordsAndStoreNothing)
{
    QByteArray binary;
    for (int i = 0; i < 2000; ++i)
        binary.append(char((i * 7919) % 256));
    const ImportOutcome noise = import(binary);
    EXPECT_TRUE(noise.read);
    EXPECT_EQ(noise.imported, 0);
    EXPECT_FALSE(noise.errors.isEmpty());

    const ImportOutcome blank = import("\r\n   \r\n\r\n");
    EXPECT_EQ(blank.imported, 0);
    EXPECT_TRUE(blank.errors.isEmpty());

    ImportLayout noAccount = testLayout();
    noAccount.start[transfer::BankNo] = 0;
    const ImportOutcome none = import(record("1", "1", "a", "11", "1234567890", "1", "", "") +
                                          "\n" + record("1", "2", "a", "11", "123", "1", "", ""),
                                      noAccount);
    EXPECT_EQ(none.errors, QStringList({"계좌번호 오류", "계좌번호 오류"}));

    EXPECT_FALSE(LineImport(*dm, ui, ImportTarget::Batch, 7, QDate(2024, 3, 20), 1)
                     .Run(testLayout(), path("missing.prn"))
                     .read);
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2"), 0);
}

TEST_F(LineImportTest, FixedLengthRecordsIncludeTheirLineBreaks)
{
    ImportLayout l = testLayout();
    l.Len = 78; // 76 bytes and CR LF
    const QByteArray a = record("101", "1", "가", "11", "1234567890", "100", "", "");
    const QByteArray b = record("101", "2", "나", "12", "1234567890", "200", "", "");
    ASSERT_EQ(a.size(), 76);
    const ImportOutcome out = import(a + "\r\n" + b + "\r\n", l);
    EXPECT_EQ(out.imported, 2);
    EXPECT_EQ(value("SELECT Sum(IcheMoney) FROM Apt2").toInt(), 300);
}

TEST_F(LineImportTest, ImportReportsThroughTheErrorFileAndTheCount)
{
    writeFile("in.prn", record("101", "1", "가", "11", "1234567890", "100", "", "") + "\r\n" +
                            record("101", "2", "나", "30", "1234567890", "200", "", ""));
    ui.answerConfirm(false); // do not open the error file
    LineImport li(*dm, ui, ImportTarget::Batch, 7, QDate(2024, 3, 20), 5000000);
    const ImportOutcome out = li.Import(testLayout(), path("in.prn"), "Veltrin-푸른마을 이체자료");
    EXPECT_EQ(out.imported, 1);
    EXPECT_EQ(ui.texts("info").last(), "1 건의 자료가 변환되었습니다.");
    QFile error(workspace().tempDir() + "Error.txt");
    ASSERT_TRUE(error.open(QIODevice::ReadOnly));
    EXPECT_TRUE(shell::FromCp949(error.readAll()).endsWith("   오류 : 타행계좌 처리불가\r\n"));
}

TEST_F(LineImportTest, GroupLinesCheckAndHyphenateTheAccount)
{
    exec("INSERT INTO GroupAp1 (GroupName, AptID, GiganID10, State) VALUES ('관리비', 3, "
         "'A123456789', 1)");
    const ImportOutcome out =
        import(record("101", "1", "가", "11", "12345678901", "100", "8001011234567", "") + "\n" +
                   record("101", "2", "나", "11", "12345678901", "100", "800101", "") + "\n" +
                   record("101", "3", "다", "11", "123", "100", "", ""),
               testLayout(), ImportTarget::Group, 3);
    EXPECT_EQ(out.errors, QStringList({"실명번호 오류", "계좌번호 오류"}));
    EXPECT_EQ(value("SELECT BankNo FROM GroupAp2 WHERE AptID = 3").toString(), "123-45-678901");
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2"), 0);
}

TEST_F(LineImportTest, LayoutsAreKeptByUniqueName)
{
    ImportLayout l = testLayout();
    ASSERT_TRUE(transfer::SaveLayout(*dm, ui, l));
    l.Name = "다른것";
    l.Len = 80;
    ASSERT_TRUE(transfer::SaveLayout(*dm, ui, l));
    EXPECT_FALSE(transfer::SaveLayout(*dm, ui, l, "관리비"));
    EXPECT_EQ(ui.texts("info").last(), "자료명칭이 중복됩니다.");
    l.Name = "";
    EXPECT_FALSE(transfer::SaveLayout(*dm, ui, l));
    EXPECT_EQ(ui.texts("error").last(), "필수항목이 누락되었습니다.");

    const std::optional<ImportLayout> back = transfer::FindLayout(*dm, "다른것");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Len, 80);
    EXPECT_EQ(back->start[transfer::Holder], 67);
    EXPECT_EQ(back->size[transfer::BankNo], 20);
    ASSERT_TRUE(transfer::DeleteLayout(*dm, "관리비"));
    QStringList names;
    for (const ImportLayout& stored : transfer::ReadLayouts(*dm))
        names.append(stored.Name);
    EXPECT_EQ(names, QStringList({"기본양식", "다른것"})); // the shipped one and ours
}

TEST_F(LineImportTest, PreviewFindsTheRealNameColumnByItsItem)
{
    writeFile(
        "p.prn",
        record("동", "호", "입주자명", "은행", "계좌", "금액", "실명", "예금주") + "\r\n" +
            record("101", "1", "가", "11", "1234567890", "1234567890123", "8001011234567", "") +
            "\r\n" + record("101", "2", "나", "11", "1234567890", "100", "800101", "") + "\r\n");
    const auto all = transfer::PreviewLines(testLayout(), path("p.prn"));
    ASSERT_TRUE(all);
    ASSERT_EQ(all->rows.size(), 3); // the title line is skipped
    EXPECT_EQ(all->rows[0][6], "실명번호");
    // Only the real-name column counts, though the amount has 13 digits too.
    EXPECT_EQ(all->errors, QStringList({"[2행[101]: 7열]" + QString(15, ' ') + "= 8001011234567"}));

    // Without 동 and 호 the real-name column moves to the fifth place.
    ImportLayout fewer = testLayout();
    fewer.start[transfer::Dong] = 0;
    fewer.size[transfer::Ho] = 0;
    const auto some = transfer::PreviewLines(fewer, path("p.prn"));
    ASSERT_TRUE(some);
    ASSERT_EQ(some->errors.size(), 1);
    EXPECT_TRUE(some->errors[0].startsWith("[2행[가]: 5열]"));

    EXPECT_FALSE(transfer::PreviewLines(testLayout(), path("none.prn")));
}
