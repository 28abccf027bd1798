// The bulk helper: every row or none, one progress step a row, and a
// refused commit told, not swallowed.

#include "store/bulk_write.h"
#include "store/database.h"
#include "tests/support/data_fixture.h"
#include "tests/support/scripted_ui.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

const QString kInsert = QStringLiteral("INSERT INTO BankCode (Id, Name) VALUES (:id, 'bulk')");

class BulkWriteTest : public testing_support::DataTest
{
protected:
    store::BulkWrite::Bind bindIds(const QStringList& ids)
    {
        return [ids](QSqlQuery& q, int row) { q.bindValue(":id", ids[row]); };
    }

    QString banks() { return dump("SELECT Id FROM BankCode WHERE Name = 'bulk' ORDER BY Id"); }

    testing_support::ScriptedUi ui;
};

TEST_F(BulkWriteTest, EveryRowRunsWithOneStepEachAndReachesTheFile)
{
    const QStringList ids{"B1", "B2", "B3"};
    QList<int> seen;
    {
        store::BulkWrite bulk(db());
        bulk.showProgress(ui, "처리 중", int(ids.size()));
        ASSERT_TRUE(bulk.run(kInsert, int(ids.size()), bindIds(ids),
                             [&](int done) { seen.append(ui.progressPosition() * 10 + done); }));
        EXPECT_EQ(bulk.done(), 3);
        EXPECT_TRUE(bulk.commit());
    }
    // The bar has stepped before each row is reported done.
    EXPECT_EQ(seen, (QList<int>{11, 22, 33}));
    EXPECT_TRUE(ui.saw("progress", "처리 중"));
    EXPECT_EQ(banks(), "B1\nB2\nB3");
}

TEST_F(BulkWriteTest, EveryStatementRunsForEachRow)
{
    const QStringList ids{"M1", "M2"};
    store::BulkWrite bulk(db());
    ASSERT_TRUE(bulk.run({kInsert, "UPDATE BankCode SET Name = 'bulk' || :id WHERE Id = :id"},
                         int(ids.size()), bindIds(ids)));
    ASSERT_TRUE(bulk.commit());
    EXPECT_EQ(dump("SELECT Id, Name FROM BankCode WHERE Id LIKE 'M_' ORDER BY Id"),
              "M1|bulkM1\nM2|bulkM2");
}

TEST_F(BulkWriteTest, AFailedRowLeavesNothingUnlessTheRowsBeforeItAreCommitted)
{
    // The third row repeats the first: the key refuses it.
    const QStringList ids{"F1", "F2", "F1", "F3"};
    for (const bool keepDone : {false, true}) {
        SCOPED_TRACE(keepDone);
        exec("DELETE FROM BankCode WHERE Name = 'bulk'");
        {
            store::BulkWrite bulk(db());
            bulk.showProgress(ui, "처리 중", int(ids.size()));
            EXPECT_FALSE(bulk.run(kInsert, int(ids.size()), bindIds(ids)));
            EXPECT_EQ(bulk.done(), 2);
            EXPECT_EQ(ui.progressPosition(), 2);
            EXPECT_EQ(store::ClassifyError(bulk.error()), store::WriteFault::Duplicate);
            if (keepDone) {
                EXPECT_TRUE(bulk.commit());
            }
        }
        EXPECT_EQ(banks(), keepDone ? "F1\nF2" : "");
    }
}

TEST_F(BulkWriteTest, ARefusedCommitIsToldAndKeepsNothing)
{
    holdReadLock();
    {
        store::BulkWrite bulk(db());
        ASSERT_TRUE(bulk.run(kInsert, 2, bindIds({"C1", "C2"})));
        EXPECT_FALSE(bulk.commit());
        EXPECT_EQ(store::ClassifyError(bulk.error()), store::WriteFault::Busy);
    }
    releaseReadLock();
    EXPECT_EQ(banks(), "");
    // The connection is out of the refused transaction.
    store::BulkWrite next(db());
    EXPECT_TRUE(next.run(kInsert, 1, bindIds({"C3"})));
    EXPECT_TRUE(next.commit());
    EXPECT_EQ(banks(), "C3");
}

} // namespace
