// Transactions that end: a COMMIT refused because another program reads
// the file is rolled back and reported, and the connection goes on working.

#include "store/database.h"
#include "store/transaction_guard.h"
#include "tests/support/data_fixture.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

class Transactions : public testing_support::DataTest
{
protected:
    bool insertBank(const QString& id, QSqlError* error = nullptr)
    {
        QSqlQuery q(db());
        q.prepare("INSERT INTO BankCode (Id, Name) VALUES (?, 'test')");
        q.addBindValue(id);
        const bool ok = q.exec();
        if (error)
            *error = q.lastError();
        return ok;
    }

    // What another program sees in the file.
    QStringList banksInFile()
    {
        QStringList out;
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "check");
            other.setDatabaseName(db().databaseName());
            EXPECT_TRUE(other.open());
            QSqlQuery q(other);
            q.exec("SELECT Id FROM BankCode WHERE Name = 'test' ORDER BY Id");
            while (q.next())
                out.append(q.value(0).toString());
        }
        QSqlDatabase::removeDatabase("check");
        return out;
    }
};

TEST_F(Transactions, RefusedCommitIsRolledBackAndTheNextSavesLast)
{
    holdReadLock();
    {
        store::TransactionGuard tx(db());
        ASSERT_TRUE(tx.active());
        ASSERT_TRUE(insertBank("A1"));
        EXPECT_FALSE(tx.commit());
        EXPECT_FALSE(tx.active());
        EXPECT_EQ(store::ClassifyError(tx.error()), store::WriteFault::Busy);
        EXPECT_EQ(store::WriteErrorMessage(tx.error()), store::BusyMessage());
    }
    // A single save while the other program still reads: refused as busy,
    // never as a missing field.
    QSqlError single;
    EXPECT_FALSE(insertBank("A2", &single));
    EXPECT_EQ(store::WriteErrorMessage(single), store::BusyMessage());
    releaseReadLock();

    // The connection is out of the refused transaction: a single save is
    // in the file at once, and the next guarded save begins and commits.
    EXPECT_TRUE(insertBank("B1"));
    {
        store::TransactionGuard tx(db());
        EXPECT_TRUE(tx.active());
        EXPECT_TRUE(insertBank("B2"));
        EXPECT_TRUE(tx.commit());
    }
    EXPECT_EQ(banksInFile(), (QStringList{"B1", "B2"}));
}

// A connection for one piece of work: the work sees the file open, its
// outcome comes back, and the connection is gone afterwards either way.
TEST_F(Transactions, WithDatabaseOpensForTheWorkAndClosesAfter)
{
    const QString file = db().databaseName();
    int calls = 0;
    const auto countBanks = [&](QSqlDatabase& d) -> platform::Result<> {
        ++calls;
        QSqlQuery q(d);
        if (!q.exec("SELECT count(*) FROM BankCode") || !q.next())
            return platform::Fail("no banks");
        return {};
    };
    EXPECT_TRUE(store::WithDatabase("once", file, countBanks));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(QSqlDatabase::contains("once"));

    const platform::Result<> refused =
        store::WithDatabase("once", file, [](QSqlDatabase&) -> platform::Result<> {
            return platform::Fail("refused");
        });
    EXPECT_EQ(refused.error(), "refused");
    EXPECT_FALSE(QSqlDatabase::contains("once"));

    const platform::Result<> missing =
        store::WithDatabase("once", path("Nowhere/Pelmar.db"), countBanks);
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.error().isEmpty());
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(QSqlDatabase::contains("once"));
}

} // namespace
