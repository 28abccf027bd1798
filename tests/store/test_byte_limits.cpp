// The byte limits of text fields on the program's own connection: an update
// is checked for the columns it sets, and a write that sets aside the
// column triggers checks its values itself and brings them back, also
// when its transaction is rolled back.

#include "store/database.h"
#include "store/statement.h"
#include "store/transaction_guard.h"
#include "tests/support/data_fixture.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

class ByteLimits : public testing_support::DataTest
{
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        addBatch(1, "A123456789", "2024-03-20");
        exec("INSERT INTO Apt2 (Apt2ID, AptID, Dong, Ho, BankNo, IcheMoney, IcheYebu, State) "
             "VALUES (1, 1, '101', '1203', '30101234567', 10000, 'Z', 1)");
    }

    // The field a write was refused for; empty when it was not refused
    // for a byte limit, "ok" when it went through.
    QString refusal(const QString& sql, const QString& value)
    {
        QSqlQuery q(db());
        q.prepare(sql);
        q.addBindValue(value);
        if (q.exec())
            return "ok";
        QString field;
        return store::ClassifyError(q.lastError(), &field) == store::WriteFault::TooLong
                   ? field
                   : QString();
    }
};

TEST_F(ByteLimits, UpdatesAreCheckedForTheColumnsTheySet)
{
    struct Case
    {
        const char* sql;
        QString value;
        QString expected;
    } cases[] = {
        {"UPDATE Apt2 SET ResultID4 = ? WHERE Apt2ID = 1", "0000", "ok"},
        {"UPDATE Apt2 SET ResultID4 = ? WHERE Apt2ID = 1", "00000", "Apt2.ResultID4"},
        {"UPDATE Apt2 SET IcheYebu = ?, State = 3 WHERE Apt2ID = 1", "YY", "Apt2.IcheYebu"},
        // Two Hangul syllables are four CP949 bytes (six in UTF-8).
        {"UPDATE Apt2 SET Dong = ? WHERE Apt2ID = 1", "가동", "ok"},
        {"UPDATE Apt2 SET Dong = ? WHERE Apt2ID = 1", "가나동", "Apt2.Dong"},
        {"UPDATE Apt2 SET Bigo = ?, Kita = 'x' WHERE Apt2ID = 1", QString(11, QChar(0xAC00)),
         "Apt2.Bigo"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(refusal(c.sql, c.value), c.expected) << c.sql << " " << c.value.toStdString();
}

TEST_F(ByteLimits, AnOverlongValueWrittenByAnotherToolStaysWritableInItsOtherColumns)
{
    // What another program wrote past the limit: the connection's check
    // refuses a new over-long value, not a row that already holds one.
    store::TextLimitsSetAside aside(db(), "Apt2", {"Bigo"});
    exec("UPDATE Apt2 SET Bigo = ? WHERE Apt2ID = 1", {QString(21, 'x')});
    ASSERT_TRUE(aside.restore());
    EXPECT_EQ(refusal("UPDATE Apt2 SET Kita = ? WHERE Apt2ID = 1", "memo"), "ok");
    EXPECT_EQ(refusal("UPDATE Apt2 SET Bigo = Bigo, Kita = ? WHERE Apt2ID = 1", "x"), "ok");
    EXPECT_EQ(refusal("UPDATE Apt2 SET Bigo = ? WHERE Apt2ID = 1", QString(22, 'x')), "Apt2.Bigo");
}

TEST_F(ByteLimits, SetAsideChecksItsValuesAndTheTriggersComeBack)
{
    const QString tooLong = "UPDATE Apt2 SET ResultID4 = ? WHERE Apt2ID = 1";
    {
        store::TextLimitsSetAside aside(db(), "Apt2", {"IcheYebu", "ResultID4"});
        ASSERT_TRUE(aside.ok());
        EXPECT_TRUE(aside.check("IcheYebu", "Y"));
        EXPECT_TRUE(aside.check("ResultID4", "가나")); // four CP949 bytes
        EXPECT_TRUE(aside.check("ResultID4", QString()));
        EXPECT_FALSE(aside.check("ResultID4", "가나다"));
        QString field;
        EXPECT_EQ(store::ClassifyError(aside.error(), &field), store::WriteFault::TooLong);
        EXPECT_EQ(field, "Apt2.ResultID4");
    } // restored on leaving
    EXPECT_EQ(refusal(tooLong, "00000"), "Apt2.ResultID4");

    // Set aside inside a transaction that is then rolled back.
    {
        store::TransactionGuard tx(db());
        store::TextLimitsSetAside aside(db(), "Apt2", {"ResultID4"});
        ASSERT_TRUE(aside.ok());
    }
    EXPECT_EQ(refusal(tooLong, "00000"), "Apt2.ResultID4");
    {
        store::TransactionGuard tx(db());
        {
            store::TextLimitsSetAside aside(db(), "Apt2", {"ResultID4"});
            ASSERT_TRUE(aside.ok());
            exec("UPDATE Apt2 SET Kita = 'x' WHERE Apt2ID = 1");
        }
        ASSERT_TRUE(tx.commit());
    }
    EXPECT_EQ(refusal(tooLong, "00000"), "Apt2.ResultID4");
}

} // namespace
