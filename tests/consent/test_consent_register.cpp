// The consent register: entry checks in their order, the status moves and
// their refusals, deletes, the real-name conversion and the texts.

#include "consent/consent_register.h"
#include "store/database.h"
#include "tests/support/data_fixture.h"

#include <gtest/gtest.h>

namespace {

using consent::ConsentRecord;

class Register : public testing_support::DataTest
{
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        addInstitution(QStringLiteral("면제단지"), "A000000001", "AB100", "AB200",
                       "301-0123-4567-81", QStringLiteral("면제"));
        addInstitution(QStringLiteral("제출단지"), "B000000002", "BB100", "BB200");
        reg = std::make_unique<consent::ConsentRegister>(db(), ui);
    }

    ConsentRecord fresh() const
    {
        ConsentRecord r;
        r.Giganid = "B000000002";
        r.Bankcd = "11";
        r.Bankno = "123-4567-8901-23";
        r.NAME = QStringLiteral("홍길동");
        r.JuminNO = "800101";
        r.NapbuNO = "ab12";
        return r;
    }

    ConsentRecord stored(const QString& payer)
    {
        const QList<ConsentRecord> rows = reg->List(std::nullopt, consent::ConsentOrder::None).value();
        for (const ConsentRecord& r : rows)
            if (r.NapbuNO == payer)
                return r;
        ADD_FAILURE() << "no consent " << payer.toStdString();
        return {};
    }

    void addEvidence(const QString& code, const QString& payer, const QString& account,
                     const QString& state, const QString& date)
    {
        exec("INSERT INTO Evidential (BANKCD, CUSTNO, CMSSERIALNO, ACCTNO, AUTHTYPE, AUTHFILE, "
             "SENDSTATE, SENDDATE) VALUES ('11', ?, ?, ?, '1', 'x.jpg', ?, ?)",
             {code, payer, account, state, date});
    }

    std::unique_ptr<consent::ConsentRegister> reg;
};

TEST_F(Register, SaveChecksInOrder)
{
    struct Case
    {
        const char* name;
        std::function<void(ConsentRecord&)> spoil;
        const char* message;
        consent::ConsentField focus;
    };
    using F = consent::ConsentField;
    const Case cases[] = {
        {"no bank",
         [](ConsentRecord& r) {
             r.Bankcd.clear();
             r.Bankno.clear();
         },
         "은행명(은행코드) 항목이 누락되었습니다.", F::Bank},
        {"unknown bank",
         [](ConsentRecord& r) {
             r.Bankcd = "9Z";
             r.Bankno.clear();
         },
         "은행코드가 적절하지 않습니다.", F::Bank},
        {"no account",
         [](ConsentRecord& r) {
             r.Bankno.clear();
             r.JuminNO.clear();
         },
         "계좌번호 항목이 누락되었습니다.", F::Account},
        {"no real-name",
         [](ConsentRecord& r) {
             r.JuminNO.clear();
             r.NapbuNO.clear();
         },
         "실명번호를 입력하세요", F::Jumin},
        {"13 digits", [](ConsentRecord& r) { r.JuminNO = "8001011234567"; },
         "실명번호의 주민등록번호는 생년월일로 대체 되었습니다.\r\n확인 후 수정해 주시기 바랍니다.",
         F::Jumin},
        {"no payer",
         [](ConsentRecord& r) {
             r.NapbuNO.clear();
             r.Giganid.clear();
         },
         "납부자번호를 입력하세요", F::Payer},
        {"no institution", [](ConsentRecord& r) { r.Giganid.clear(); }, "기관업체를 선택하세요",
         F::Institution},
    };
    for (const Case& c : cases) {
        ui.clear();
        ConsentRecord r = fresh();
        c.spoil(r);
        const consent::ConsentSave s = reg->Save(r);
        EXPECT_FALSE(s.saved) << c.name;
        EXPECT_EQ(s.focus, c.focus) << c.name;
        EXPECT_EQ(ui.texts("info"), QStringList{QString::fromUtf8(c.message)}) << c.name;
    }
    EXPECT_EQ(value("SELECT COUNT(*) FROM TongRegister").toInt(), 0);
}

TEST_F(Register, SavedConsentWaitsWithoutHyphensAndZeroFilled)
{
    ConsentRecord r = fresh();
    ASSERT_TRUE(reg->Save(r).saved);
    EXPECT_EQ(
        dump("SELECT Bankno, DisplayBankno, Status, Autoichedate, CheckJumin FROM TongRegister"),
        "1234567890123|01234567890123|0|0|1");
    EXPECT_EQ(consent::DisplayBankno("12345678901234567"), "12345678901234");
}

TEST_F(Register, InvalidAccountSavedOnlyOnYes)
{
    ConsentRecord r = fresh();
    r.Bankno = "12345"; // no pattern of bank 11 has five digits
    ui.answerConfirm(false);
    EXPECT_EQ(reg->Save(r).focus, consent::ConsentField::Account);
    ui.answerConfirm(true);
    EXPECT_TRUE(reg->Save(r).saved);
    EXPECT_EQ(ui.texts("confirm").size(), 2);
}

TEST_F(Register, DuplicateRefusedWhateverTheCaseOfThePayerNumber)
{
    ConsentRecord first = fresh();
    ASSERT_TRUE(reg->Save(first).saved);
    for (const char* payer : {"ab12", "AB12", "Ab12"}) {
        ui.clear();
        ConsentRecord again = fresh();
        again.NapbuNO = payer;
        EXPECT_FALSE(reg->Save(again).saved) << payer;
        ASSERT_EQ(ui.texts("plain").size(), 1);
        EXPECT_TRUE(ui.texts("plain")[0].startsWith(
            QStringLiteral("출금동의 등록/해지[자료변환-중복 데이타 발견]\n\r기관:B000000002")));
    }
    ConsentRecord other = fresh();
    other.NapbuNO = "ab13";
    EXPECT_TRUE(reg->Save(other).saved);
    EXPECT_EQ(value("SELECT COUNT(*) FROM TongRegister").toInt(), 2);
}

TEST_F(Register, StatusMovesAndRefusals)
{
    // Exempt institution: every status may be moved without evidence.
    for (int s = 0; s <= 8; ++s)
        addConsent("A000000001", "11", "1234567890123", QString("P%1").arg(s), s, "800101");
    struct Case
    {
        int from;
        bool registration;
        int to;
    };
    const Case cases[] = {{0, true, 0},  {3, true, 0},  {6, true, 0},  {7, true, 0}, {8, true, 0},
                          {0, false, 4}, {1, false, 4}, {5, false, 4}, {7, false, 4}};
    for (const Case& c : cases) {
        exec("UPDATE TongRegister SET Status = ?, ResultCD = 12, ResultYN = 1, "
             "Senddate = '2024-03-01 10:00:00' WHERE NapbuNO = ?",
             {c.from, QString("P%1").arg(c.from)});
        const ConsentRecord row = stored(QString("P%1").arg(c.from));
        ui.answerAsk(shell::Ui::Ok);
        const bool moved =
            c.registration ? reg->RequestRegistration({row}) : reg->RequestCancellation({row});
        EXPECT_TRUE(moved) << c.from;
        EXPECT_EQ(dump(QString("SELECT Status, ResultCD, ResultYN, Senddate, Receivedate FROM "
                               "TongRegister WHERE NapbuNO = 'P%1'")
                           .arg(c.from)),
                  QString("%1||||").arg(c.to))
            << c.from;
    }
    EXPECT_TRUE(ui.saw("plain", QStringLiteral("일괄 등록신청되었습니다.")));
    EXPECT_TRUE(ui.saw("plain", QStringLiteral("일괄 해지신청되었습니다.")));

    // Registered: asked whether to cancel the job; Yes stops.
    const ConsentRecord done = stored("P2");
    ui.answerConfirm(true);
    EXPECT_FALSE(reg->RequestRegistration({done}));
    EXPECT_EQ(stored("P2").Status.toInt(), 2);

    // Nothing selected: only the hint.
    ui.clear();
    EXPECT_FALSE(reg->RequestRegistration({}));
    EXPECT_FALSE(reg->RequestCancellation({}));
    EXPECT_EQ(ui.texts("plain"), QStringList(2, QString::fromUtf8(consent::kSelectHint)));

    // A full resident number anywhere in the selection stops before any row.
    exec("UPDATE TongRegister SET JuminNO = '8001011234567' WHERE NapbuNO = 'P6'");
    ui.clear();
    ui.answerAsk(shell::Ui::Ok);
    EXPECT_FALSE(reg->RequestCancellation({stored("P3"), stored("P6")}));
    EXPECT_EQ(stored("P3").Status.toInt(), 0);
    EXPECT_EQ(ui.texts("info").size(), 1);

    // Cancel in the confirmation changes nothing.
    ui.answerAsk(shell::Ui::Cancel);
    EXPECT_FALSE(reg->RequestRegistration({stored("P3")}));
    EXPECT_EQ(stored("P3").Status.toInt(), 0);
}

TEST_F(Register, BulkRequestRefusedByAnotherProgramsLockSaysItFailed)
{
    addConsent("A000000001", "11", "1234567890123", "P1", 3, "800101");
    addConsent("A000000001", "11", "1234567890124", "P2", 3, "800101");
    const QList<ConsentRecord> rows{stored("P1"), stored("P2")};
    holdReadLock();
    ui.answerAsk(shell::Ui::Ok);
    EXPECT_FALSE(reg->RequestRegistration(rows));
    EXPECT_FALSE(ui.saw("plain", QStringLiteral("일괄 등록신청되었습니다.")));
    EXPECT_TRUE(ui.saw("plain", QStringLiteral("등록신청이  실패 되었습니다.")));
    EXPECT_EQ(ui.texts("info"), QStringList{store::BusyMessage()});
    releaseReadLock();
    EXPECT_EQ(dump("SELECT Status FROM TongRegister ORDER BY NapbuNO"), "3\n3");

    // Once the other program is done the same request goes through.
    ui.clear();
    ui.answerAsk(shell::Ui::Ok);
    EXPECT_TRUE(reg->RequestRegistration(rows));
    EXPECT_TRUE(ui.saw("plain", QStringLiteral("일괄 등록신청되었습니다.")));
    EXPECT_EQ(dump("SELECT Status FROM TongRegister ORDER BY NapbuNO"), "0\n0");
}

TEST_F(Register, RegistrationNeedsEvidenceSentWithinSevenDays)
{
    addConsent("B000000002", "11", "1234567890123", "101", 6, "800101");
    addConsent("A000000001", "11", "1234567890123", "201", 6, "800101");
    struct Case
    {
        const char* state;
        const char* date;
        bool ready;
    };
    // Today is 2024-03-15: exactly seven days ago does not count.
    const Case cases[] = {{"1", "20240309", true},
                          {"1", "20240308", false},
                          {"0", "20240315", false},
                          {"2", "20240315", false}};
    for (const Case& c : cases) {
        exec("DELETE FROM Evidential");
        addEvidence("B000000002", "101", "1234567890123", c.state, c.date);
        EXPECT_EQ(reg->EvidenceReady(stored("101")), c.ready) << c.date << c.state;
    }
    // Another consent's evidence (a payer number with a hyphen is another
    // payer number) backs nothing.
    exec("DELETE FROM Evidential");
    addEvidence("B000000002", "1-01", "1234567890123", "1", "20240314");
    EXPECT_FALSE(reg->EvidenceReady(stored("101")));
    exec("DELETE FROM Evidential");
    EXPECT_FALSE(reg->RequestRegistration({stored("201"), stored("101")}));
    EXPECT_EQ(ui.texts("info").size(), 1);
    EXPECT_TRUE(ui.texts("info")[0].startsWith(QStringLiteral("증빙자료 전송이 안된 자료가")));
    EXPECT_EQ(value("SELECT COUNT(*) FROM TongRegister WHERE Status = 0").toInt(), 0);
}

TEST_F(Register, DeleteRefusedWhenAnyRowIsAtTheBank)
{
    addConsent("A000000001", "11", "1234567890123", "1", 0);
    addConsent("A000000001", "11", "1234567890123", "2", 5);
    addConsent("A000000001", "11", "1234567890123", "3", 2);
    EXPECT_FALSE(reg->Delete({stored("1"), stored("2")}, 2));
    EXPECT_EQ(value("SELECT COUNT(*) FROM TongRegister").toInt(), 3);
    ui.answerConfirm(true);
    EXPECT_TRUE(reg->Delete({stored("1"), stored("3")}, 2));
    EXPECT_EQ(dump("SELECT NapbuNO FROM TongRegister"), "2");
    EXPECT_TRUE(ui.saw("confirm", QStringLiteral("선택된 2 개의 자료를 삭제하시겠습니까?")));
}

TEST_F(Register, JuminConversionCutsOnlyFullNumbers)
{
    addConsent("A000000001", "11", "1234567890123", "1", 0, "8001011234567");
    addConsent("A000000001", "11", "1234567890123", "2", 0, "1234567890");
    ui.answerConfirm(true);
    EXPECT_TRUE(reg->ConvertJumin());
    EXPECT_EQ(dump("SELECT JuminNO FROM TongRegister ORDER BY NapbuNO"), "800101\n1234567890");
    ui.answerConfirm(true);
    EXPECT_FALSE(reg->ConvertJumin());
    EXPECT_TRUE(
        ui.saw("info", QStringLiteral("해당 데이터의 거래인에 주민등록번호가 존재하지 않습니다.")));
}

TEST_F(Register, CountsPerStatus)
{
    int n = 0;
    for (int s : {0, 0, 1, 7, 9})
        addConsent("A000000001", "11", "1234567890123", QString("N%1").arg(++n), s);
    exec(
        "INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO) VALUES ('A', '11', '1', 'x')");
    const consent::StatusCounts c = reg->Counts();
    EXPECT_EQ(c.perStatus[0], 2);
    EXPECT_EQ(c.perStatus[1], 1);
    EXPECT_EQ(c.perStatus[7], 1);
    EXPECT_EQ(c.total, 5); // every row that has a status
    EXPECT_EQ(reg->List(store::ConsentStatus::RegisterWaiting, consent::ConsentOrder::StatusAccount)
                  .value()
                  .size(),
              2);
}

TEST(ConsentTexts, ResultAndStatus)
{
    const std::pair<QVariant, const char*> results[] = {
        {QVariant(), ""},
        {QVariant(0), "정상처리"},
        {QVariant(2005), "[2005]이중신청(동일 납부자번호&동일계좌)"},
        {QVariant(444), "[444]입금상대은행 장애"},
        {QVariant(9999), "[9999]은행에 문의필요"},
    };
    for (const auto& [code, text] : results)
        EXPECT_EQ(consent::ResultCodeText(code), QString::fromUtf8(text));
    EXPECT_EQ(consent::StatusText(QVariant()), QStringLiteral("미등록"));
    EXPECT_EQ(consent::StatusText(8), QStringLiteral("미등록"));
    EXPECT_EQ(consent::StatusText(5), QStringLiteral("해지중"));
}

} // namespace
