#include "calendar/check_send_date.h"
#include "calendar/send_cutoffs.h"
#include "shell/clock.h"
#include "store/database.h"
#include "store/schema.h"
#include "tests/support/scripted_ui.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using shell::Ui;

// A business day (Tuesday 2024-03-05).
const QDate kToday(2024, 3, 5);

class SendRules : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The store's own table definitions, so the rules meet the real columns.
        ASSERT_TRUE(store::OpenDatabase("send_rules", dir.filePath("Pelmar.db"), false).ok());
        db = QSqlDatabase::database("send_rules");
        for (const char* table : {"Apt1", "UserCode", "TongRegister", "BizCalendar"})
            ASSERT_TRUE(store::CreateTable(db, *store::FindTable(table), store::Layout::Current));
        Exec("INSERT INTO UserCode (Name, APID10) VALUES ('단지A', 'A000000001'), "
             "('단지B', 'B000000002')");
        At(kToday, QTime(10, 0, 0));
    }

    void TearDown() override
    {
        shell::ResetClock();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("send_rules");
    }

    void Exec(const QString& sql)
    {
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
    }

    void Batch(const QString& institution, int daysFromToday, int state, const QString& bank = "35")
    {
        Exec(QString("INSERT INTO Apt1 (GiganID10, BankCode, IcheDate, State) "
                     "VALUES ('%1', '%2', '%3', %4)")
                 .arg(institution, bank, kToday.addDays(daysFromToday).toString(Qt::ISODate))
                 .arg(state));
    }

    static void At(const QDate& date, const QTime& time)
    {
        shell::FreezeNow(QDateTime(date, time));
    }

    QTemporaryDir dir;
    QSqlDatabase db;
    testing_support::ScriptedUi ui;
};

} // namespace

TEST_F(SendRules, SameDayCutoffAtItsBoundarySeconds)
{
    struct Case
    {
        QTime time;
        const char* institution;
        int daysFromToday, state;
        bool goOn;
    };
    const Case cases[] = {
        {QTime(16, 0, 0), "A000000001", 0, 1, true}, // allowed without looking
        {QTime(16, 0, 1), "A000000001", 0, 1, false},
        {QTime(16, 0, 1), "Z999999999", 0, 1, true}, // institution not in UserCode
        {QTime(16, 0, 1), "A000000001", 0, 2, true}, // already sent
        {QTime(16, 0, 1), "A000000001", 1, 1, true}, // not today
    };
    for (const Case& c : cases) {
        Exec("DELETE FROM Apt1");
        Batch(c.institution, c.daysFromToday, c.state);
        At(kToday, c.time);
        ui.clear();
        EXPECT_EQ(calendar::CheckSameDayCutoff(db, ui), c.goOn) << c.time.toString().toStdString();
        EXPECT_EQ(ui.texts("info"),
                  c.goOn ? QStringList{} : QStringList{calendar::SameDayTransferMessage()});
    }
}

TEST_F(SendRules, DateRangeCountsWaitingDatesSevenOrMoreDaysAhead)
{
    Batch("A000000001", -30, 1); // past: in range
    Batch("A000000001", 6, 1);
    Batch("A000000001", 7, 1);
    Batch("B000000002", 7, 1);
    Batch("A000000001", 20, 2); // sent: not looked at
    calendar::TCheckSendDate check(ui);
    ASSERT_TRUE(check.Setup(db, calendar::kExchangeTable, calendar::kExchangeDateField));

    ui.answerAsk(Ui::No);
    EXPECT_FALSE(check.CheckDateRange(calendar::TransferLabel()));
    ASSERT_EQ(ui.texts("ask").size(), 1);
    EXPECT_TRUE(
        ui.texts("ask")[0].startsWith(" 설정범위를 초과한 [이체]자료가 2건 있습니다. \n\n\n"));
    ui.answerAsk(Ui::Yes);
    EXPECT_TRUE(check.CheckDateRange(calendar::TransferLabel()));

    // With a bank-code field only banks 11 and 12 count.
    Batch("A000000001", 9, 1, "12");
    ASSERT_TRUE(check.Setup(db, "Apt1", "IcheDate", "BankCode"));
    ui.answerAsk(Ui::Yes);
    EXPECT_TRUE(check.CheckDateRange("이체"));
    EXPECT_EQ(ui.texts("ask").last(), calendar::RangeWarningText("이체", 1));

    Exec("DELETE FROM Apt1 WHERE State = 1 AND IcheDate >= '2024-03-12'");
    EXPECT_TRUE(check.CheckDateRange("이체")); // no question asked
}

TEST_F(SendRules, DuplicateDateComparesDatesOnlyAndOnlyWithSentBatches)
{
    calendar::TCheckSendDate check(ui);
    ASSERT_TRUE(check.Setup(db, "Apt1", "IcheDate"));
    EXPECT_TRUE(check.CheckDuplicateDate()); // nothing waiting

    Batch("A000000001", 3, 1);
    Batch("A000000001", 3, 1);
    Batch("A000000001", 4, 1);
    Batch("B000000002", 3, 3); // result received: no warning
    EXPECT_TRUE(check.CheckDuplicateDate());

    Batch("B000000002", 4, 2); // sent, another institution
    ui.answerAsk(Ui::No);
    EXPECT_FALSE(check.CheckDuplicateDate());
    EXPECT_EQ(ui.texts("ask"), QStringList{calendar::DuplicateWarningText()});
    ui.answerAsk(Ui::Yes);
    EXPECT_TRUE(check.CheckDuplicateDate());
}

TEST_F(SendRules, SetupFailsWithoutConnectionOrWithANonIdentifier)
{
    calendar::TCheckSendDate check(ui);
    EXPECT_FALSE(check.Setup(db, "Apt1; DROP TABLE Apt1", "IcheDate"));
    db.close();
    EXPECT_FALSE(check.Setup(db, "Apt1", "IcheDate"));
    EXPECT_TRUE(check.CheckDateRange("이체")); // skipped: sending goes on
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(SendRules, ConsentCutoff)
{
    struct Case
    {
        QDate date;
        QTime time;
        QList<int> statuses;
        QString message; // empty: go on
    };
    const QString late = calendar::ConsentCutoffMessage();
    const QString holiday = calendar::ConsentHolidayMessage();
    const Case cases[] = {
        {kToday, QTime(17, 59, 59), {0, 4}, {}},
        {kToday, QTime(18, 0, 0), {0}, late},
        {kToday, QTime(18, 0, 0), {4}, late},
        {kToday, QTime(18, 0, 0), {1, 2, 3, 5, 6, 7}, {}},
        {QDate(2024, 3, 9), QTime(9, 0, 0), {}, holiday},  // Saturday
        {QDate(2024, 9, 17), QTime(9, 0, 0), {}, holiday}, // Chuseok, a Tuesday
        {QDate(2024, 4, 10), QTime(9, 0, 0), {}, holiday}, // election day, announced
        {QDate(2024, 5, 15), QTime(9, 0, 0), {}, {}},      // re-opened by the branch
    };
    Exec("INSERT INTO BizCalendar (CalDate, Kind, Name, Source) VALUES "
         "('2024-04-10', '휴무', '제22대 국회의원선거', '공고'), "
         "('2024-05-15', '영업', '정상 영업', '지점')");
    for (const Case& c : cases) {
        Exec("DELETE FROM TongRegister");
        for (int status : c.statuses)
            Exec(QString("INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, Status) "
                         "VALUES ('A000000001', '11', '1', '%1', %1)")
                     .arg(status));
        At(c.date, c.time);
        ui.clear();
        EXPECT_EQ(calendar::CheckConsentCutoff(db, ui), c.message.isEmpty())
            << c.date.toString(Qt::ISODate).toStdString() << " " << c.time.toString().toStdString();
        EXPECT_EQ(ui.texts("info"), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
    }
}
