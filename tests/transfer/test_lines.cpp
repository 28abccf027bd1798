#include "shell/codec.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/batches.h"
#include "transfer/lines.h"

using namespace transfer;

class Lines : public TransferTest
{
protected:
    void SetUp() override
    {
        TransferTest::SetUp();
        addBatch(1, -1);
        batch = *Batches(*dm, ui).Find(1);
    }
    TransferItem valid(TransferLines& l)
    {
        TransferItem line = l.NewLine(batch);
        line.Dong = "101";
        line.Ho = "1203";
        line.BankNo = "301-1234-5678-91";
        line.IcheMoney = 150000;
        line.Bigo = "홍길동";
        return line;
    }
    TransferBatch batch;
};

TEST_F(Lines, SaveChecksInOrderAndKeepsTheFocusedField)
{
    TransferLines l(*dm, ui, 1);
    ASSERT_EQ(l.limit(), 5'000'000);
    struct Case
    {
        std::function<void(TransferItem&)> spoil;
        QString message;
        LineField focus;
    } cases[] = {
        {[](TransferItem& r) {
             r.IcheMoney = 0;
             r.BankCode = "";
         },
         "이체금액은 0보다 큰 금액을 입력해야 합니다.", LineField::IcheMoney},
        {[](TransferItem& r) { r.IcheMoney = -5000; },
         "이체금액은 0보다 큰 금액을 입력해야 합니다.", LineField::IcheMoney},
        {[](TransferItem& r) {
             r.IcheMoney = 5'000'001;
             r.BankNo = "";
         },
         "이체금액이 한도를 초과했습니다.\r\r최대 이체 한도는 ₩5,000,000 입니다.",
         LineField::IcheMoney},
        {[](TransferItem& r) {
             r.BankCode = " ";
             r.BankNo = "";
         },
         "은행명(은행코드) 항목이 누락되었습니다.", LineField::BankCode},
        {[](TransferItem& r) { r.BankCode = "98"; }, "은행코드가 적절하지 않습니다.",
         LineField::BankCode},
        {[](TransferItem& r) { r.BankNo = "  "; }, "계좌번호 항목이 누락되었습니다.",
         LineField::BankNo},
    };
    for (const Case& c : cases) {
        ui.clear();
        TransferItem line = valid(l);
        c.spoil(line);
        const LineSave s = l.Save(line, true);
        EXPECT_FALSE(s.saved) << c.message.toStdString();
        EXPECT_EQ(s.focus, c.focus) << c.message.toStdString();
        EXPECT_EQ(ui.texts("info"), QStringList{c.message});
    }
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2"), 0);

    // The limit itself is accepted.
    TransferItem line = valid(l);
    line.IcheMoney = 5'000'000;
    EXPECT_TRUE(l.Save(line, true).saved);
}

TEST_F(Lines, SavedLineGetsItsSortValuesAndPayerNumber)
{
    TransferLines l(*dm, ui, 1);
    TransferItem line = valid(l);
    ASSERT_TRUE(l.Save(line, true).saved);
    TransferItem stored = *l.Find(line.Apt2ID);
    EXPECT_EQ(stored.NapbuNo, "1011203");
    EXPECT_EQ(stored.DongInt, 101);
    EXPECT_EQ(stored.HoInt, 1203);
    EXPECT_EQ(stored.BankNo, "3011234567891");
    EXPECT_EQ(stored.MBankNo, "301-1234-5678-91");
    EXPECT_EQ(stored.BankName, "Tervo중앙회");
    EXPECT_EQ(stored.IcheDate, QDate(2024, 3, 20));
    EXPECT_EQ(stored.IcheYebu, "Z");
    EXPECT_EQ(stored.State, BatchState::Waiting);
    EXPECT_EQ(stored.Stat, "미송신");
    EXPECT_EQ(stored.YebuName, "미처리");
    EXPECT_EQ(stored.cNapbuNo(), "1011203");

    // An account the library rejects: asked, and kept without hyphens on Yes.
    stored.Dong = "A동";
    stored.Ho = "12";
    stored.BankNo = "12-34";
    ui.answerConfirm(false);
    EXPECT_EQ(l.Save(stored, false).focus, LineField::BankNo);
    EXPECT_EQ(ui.texts("confirm"),
              QStringList{"계좌번호가 적절하지 않습니다.\r\r그냥 저장하시겠습니까?"});
    ui.answerConfirm(true);
    ASSERT_TRUE(l.Save(stored, false).saved);
    stored = *l.Find(line.Apt2ID);
    EXPECT_EQ(stored.BankNo, "1234");
    EXPECT_EQ(stored.DongInt, 0);
    EXPECT_EQ(stored.NapbuNo, "A동12");
    EXPECT_EQ(stored.MBankNo, "1234"); // no display form: shown as stored
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2"), 1);
}

TEST_F(Lines, AmountLimitFromTheSettingsFileIn64Bits)
{
    const QList<QPair<QByteArray, qint64>> cases = {
        {"[General]\r\nApt=3\r\n", 3'000'000},
        {"[General]\r\nApt=3000\r\n", 3'000'000'000LL},
        {"[General]\r\nApt=abc\r\n", 5'000'000},
        {"", 5'000'000},
    };
    for (const auto& [ini, limit] : cases) {
        writeFile("Firm.ini", ini);
        TransferLines l(*dm, ui, 1);
        EXPECT_EQ(l.limit(), limit) << ini.constData();
    }
    writeFile("Firm.ini", "[General]\r\nApt=3000\r\n");
    TransferLines l(*dm, ui, 1);
    TransferItem line = valid(l);
    line.IcheMoney = 3'000'000'000LL;
    EXPECT_TRUE(l.Save(line, true).saved);
    EXPECT_EQ(value("SELECT IcheMoney FROM Apt2").toLongLong(), 3'000'000'000LL);
}

TEST_F(Lines, BulkAmountChangeAllOrNothing)
{
    const int a = addLine(1, "11", 100);
    const int b = addLine(1, "11", 200);
    const int c = addLine(1, "11", 300);
    TransferLines l(*dm, ui, 1);
    struct Case
    {
        QString text;
        QString message;
    } refused[] = {
        {"abc", "이체금액이 적절하지 않습니다."},
        {"1.5", "이체금액이 적절하지 않습니다."},
        {"", "이체금액이 적절하지 않습니다."},
        {"0", "이체금액은 0보다 큰 금액을 입력해야 합니다."},
        {"-5000", "이체금액은 0보다 큰 금액을 입력해야 합니다."},
        {"5,000,001", "이체금액이 한도를 초과했습니다.\r\r최대 이체 한도는 ₩5,000,000 입니다."},
    };
    for (const Case& r : refused) {
        ui.clear();
        EXPECT_FALSE(l.SetAmount({a, b}, r.text)) << r.text.toStdString();
        EXPECT_EQ(ui.texts("info"), QStringList{r.message});
    }
    EXPECT_EQ(count("SELECT Sum(IcheMoney) FROM Apt2"), 600);

    ui.clear();
    ASSERT_TRUE(l.SetAmount({a, c}, "12,500"));
    EXPECT_EQ(ui.texts("progress"), QStringList{"이체금액 변경 처리 중..."});
    EXPECT_EQ(count("SELECT IcheMoney FROM Apt2 WHERE Apt2ID = ?", {a}), 12500);
    EXPECT_EQ(count("SELECT IcheMoney FROM Apt2 WHERE Apt2ID = ?", {b}), 200);
    EXPECT_EQ(count("SELECT IcheMoney FROM Apt2 WHERE Apt2ID = ?", {c}), 12500);

    // The totals follow the bulk change.
    ASSERT_TRUE(Batches(*dm, ui).RecomputeTotals(1));
    EXPECT_EQ(Batches(*dm, ui).Find(1)->TotMoney, 25200);
    EXPECT_EQ(Batches(*dm, ui).Find(1)->E1.junMon, 25200);
}

TEST_F(Lines, DeleteAsksThenLogsAndRemovesOnlyTheGivenLines)
{
    const int a = addLine(1, "11", 100);
    const int b = addLine(1, "11", 200);
    addLine(1, "11", 300);
    const int other = addLine(2, "11", 400);
    TransferLines l(*dm, ui, 1);

    ui.answerConfirm(false);
    EXPECT_FALSE(l.Delete({a, b}, "Veltrin-푸른마을아파트 이체자료"));
    EXPECT_EQ(ui.texts("confirm"), QStringList{"선택된 2 개의 자료를 삭제하시겠습니까?"});
    EXPECT_FALSE(readFile("202403.log").contains(shell::ToCp949("자료삭제")));

    ui.answerConfirm(true);
    EXPECT_TRUE(l.Delete({a, b, other}, "Veltrin-푸른마을아파트 이체자료"));
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2 WHERE AptID = 1"), 1);
    // A line of another batch is never touched from this screen.
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2 WHERE AptID = 2"), 1);
    EXPECT_TRUE(shell::FromCp949(readFile("202403.log"))
                    .contains("Veltrin-푸른마을아파트 이체자료 자료삭제 3 건"));
}

TEST_F(Lines, CopyLineAndSortOrders)
{
    const int a = addLine(1, "20", 100, "X", -1, "2", "10", "1002123456789");
    addLine(1, "04", 200, "Z", 1, "10", "2");
    addLine(1, "11", 300, "Z", 1, "2", "9");
    TransferLines l(*dm, ui, 1);
    const std::optional<int> copy = l.CopyLine(a, batch);
    ASSERT_TRUE(copy);
    const TransferItem c = *l.Find(*copy);
    EXPECT_EQ(c.State, BatchState::NoData);
    EXPECT_EQ(c.IcheYebu, "Z");
    EXPECT_EQ(c.BankNo, "1002123456789");
    EXPECT_EQ(c.MBankNo, "1002-123-456789");
    EXPECT_EQ(c.DataNo, 8);
    EXPECT_FALSE(c.DongInt.has_value());

    const auto dongs = [&](LineOrder o) {
        QStringList out;
        const QList<TransferItem> rows = l.List(o).value();
        for (const TransferItem& line : rows)
            out.append(line.Dong + "-" + line.Ho);
        return out.join(' ');
    };
    EXPECT_EQ(dongs(LineOrder::None), "2-10 10-2 2-9 2-10");
    EXPECT_EQ(dongs(LineOrder::DongHo), "2-10 2-9 2-10 10-2"); // the copy has no sort values yet
    EXPECT_EQ(dongs(LineOrder::Account), "10-2 2-9 2-10 2-10");
}

TEST_F(Lines, OutcomeAndResultTexts)
{
    addLine(1, "11", 100, "Y", 3);
    addLine(1, "11", 100, "X", 3);
    addLine(1, "11", 100, "X", 1);
    exec("UPDATE Apt2 SET ResultID4 = '1000' WHERE IcheYebu = 'X'");
    TransferLines l(*dm, ui, 1);
    const QList<TransferItem> lines = l.List().value();
    EXPECT_EQ(lines[0].Stat, "정상");
    EXPECT_EQ(lines[1].Stat, "불능");
    EXPECT_EQ(lines[1].ResultName, "잔액부족");
    EXPECT_EQ(lines[2].Stat, "미송신");
    EXPECT_EQ(lines[2].YebuName, "불능");
}

TEST_F(Lines, ErrorAccountSearchFromTheCurrentLine)
{
    addLine(1, "11", 100);
    addLine(1, "97", 100);
    addLine(1, "11", 100, "Z", 1, "1", "1", "12");
    TransferLines l(*dm, ui, 1);
    const QList<TransferItem> lines = l.List().value();
    EXPECT_EQ(l.FindBadAccount(lines, 0), 1);
    EXPECT_EQ(l.FindBadAccount(lines, 2), 2);
    EXPECT_EQ(ui.texts("info"),
              (QStringList{"은행코드 오류가 발견되었습니다.", "계좌번호 오류가 발견되었습니다."}));
    ui.clear();
    exec("DELETE FROM Apt2 WHERE BankNo = '12'");
    EXPECT_EQ(l.FindBadAccount(l.List().value(), 2), -1);
    EXPECT_EQ(ui.texts("info"), QStringList{"커서 이후의 계좌번호 오류가 발견되지 않았습니다."});
}

TEST_F(Lines, ConsentWarningComparesTheFieldsOneByOne)
{
    struct Case
    {
        const char* name;
        const char* dong;
        const char* ho;
        const char* account; // the line's
        const char* giganid; // the consent's
        const char* bankno;
        const char* payer;
        int status;
        bool missing;
    } cases[] = {
        {"same fields", "101", "1203", "3011234567891", "A123456789", "3011234567891", "1011203", 2,
         false},
        {"line account with hyphens", "101", "1203", "301-1234-5678-91", "A123456789",
         "3011234567891", "1011203", 2, false},
        {"institution in lower case", "101", "1203", "3011234567891", "a123456789", "3011234567891",
         "1011203", 2, false},
        {"account end taken for the building", "91", "1", "30112345678", "A123456789",
         "3011234567891", "1", 2, true},
        {"consent cancelled", "101", "1203", "3011234567891", "A123456789", "3011234567891",
         "1011203", 6, true},
    };
    for (const Case& c : cases) {
        exec("DELETE FROM Apt2");
        exec("DELETE FROM TongRegister");
        addLine(1, "11", 100, "Z", 1, c.dong, c.ho, c.account);
        exec("INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, Status) VALUES "
             "(?, '11', ?, ?, ?)",
             {c.giganid, c.bankno, c.payer, c.status});
        EXPECT_EQ(TransferLines(*dm, ui, 1).MissingConsent().value(), c.missing) << c.name;
    }
}

TEST_F(Lines, ConsentStatesOfTheLines)
{
    addLine(1, "11", 100, "Z", 1, "101", "1", "3011234567891");
    addLine(1, "11", 100, "Z", 1, "101", "2", "301-1234-5678-92");
    addLine(1, "11", 100, "Z", 1, "101", "3", "3011234567893");
    exec("INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, Status) VALUES "
         "('A123456789', '11', '3011234567891', '1011', 2), "
         "('A123456789', '11', '3011234567892', '1012', 6)");
    TransferLines l(*dm, ui, 1);
    QList<TransferItem> lines = l.List().value();
    EXPECT_TRUE(l.FillConsent(lines, "A123456789 ").value());
    EXPECT_EQ(lines[0].cStatus, "등록완료");
    EXPECT_FALSE(lines[0].consentMissing());
    EXPECT_EQ(lines[1].cStatus, "해지완료");
    EXPECT_TRUE(lines[1].consentMissing());
    EXPECT_EQ(lines[2].cStatus, "미등록");
    EXPECT_TRUE(l.MissingConsent().value());

    exec("DELETE FROM Apt2 WHERE Ho <> '1'");
    lines = l.List().value();
    EXPECT_FALSE(l.FillConsent(lines, "A123456789").value());
    EXPECT_FALSE(l.MissingConsent().value());

    const QList<QPair<std::optional<int>, QString>> texts = {
        {0, "등록대기"}, {1, "등록진행중"}, {5, "해지진행중"},       {7, "해지오류"},
        {8, "미등록"},   {-1, "미등록"},    {std::nullopt, "미등록"}};
    for (const auto& [status, text] : texts)
        EXPECT_EQ(ConsentStatusText(status), text);
}

TEST_F(Lines, ParsesAmountsAndSearchesLines)
{
    const QList<QPair<QString, std::optional<qint64>>> amounts = {
        {"5000", 5000},
        {" 12,500 ", 12500},
        {"-7", -7},
        {"1,00", std::nullopt},
        {"12a", std::nullopt},
        {"", std::nullopt},
        {"9999999999999999", std::nullopt}};
    for (const auto& [text, v] : amounts)
        EXPECT_EQ(ParseAmount(text), v) << text.toStdString();
    EXPECT_EQ(FormatAmount(1234567), "1,234,567");

    addLine(1, "11", 100);
    exec("UPDATE Apt2 SET Bigo = '김철수', BankNo = '111' WHERE Apt2ID = 1");
    addLine(1, "11", 100);
    addLine(1, "11", 100);
    exec("UPDATE Apt2 SET Bigo = '김철수' WHERE Apt2ID = 3");
    const QList<TransferItem> lines = TransferLines(*dm, ui, 1).List().value();
    EXPECT_EQ(FindLine(lines, 0, {"김철수", "", ""}), 0);
    EXPECT_EQ(FindLine(lines, 1, {"김철수", "", ""}), 2);
    EXPECT_EQ(FindLine(lines, 0, {"김철수", "", "301-1234-5678-91"}), 2);
    EXPECT_EQ(FindLine(lines, 0, {"김", "", ""}), -1);
}
