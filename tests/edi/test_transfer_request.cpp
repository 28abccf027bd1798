// Transfer request files, checked byte for byte against records built
// here from the published layout, with the check values recomputed.

#include "edi/transfer_request.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "tests/support/data_fixture.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray pad(const QByteArray& s, int width)
{
    return s.leftJustified(width, ' ', true);
}

QByteArray zero(qint64 n, int width)
{
    return QByteArray::number(n).rightJustified(width, '0');
}

// First four decimals of (s mod n) / n, by whole-number arithmetic.
QByteArray recordCheck(qint64 s, qint64 n)
{
    return zero((s % n) * 10000 / n, 4);
}

QByteArray dRecord(int seq, const QByteArray& bank, const QByteArray& account, qint64 amount,
                   const QByteArray& dong, const QByteArray& ho, const QByteArray& key, int day,
                   int divisor)
{
    const qint64 s = amount + day + (account.back() - '0');
    return "D" + zero(seq, 7) + "A123456789" + "12999" + bank + pad(account, 16) +
           zero(amount, 13) + QByteArray(13, '0') + QByteArray(12, ' ') + "0" +
           QByteArray(13, ' ') + pad(dong + ho, 20) + pad(key, 5) + pad(dong, 5) + pad(ho, 5) +
           QByteArray(20, ' ') + recordCheck(s, divisor) + QByteArray(45, ' ');
}

class TransferRequest : public testing_support::DataTest
{
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        addInstitution(QStringLiteral("푸른마을아파트"), "A123456789", "AB100", "AB200");
    }

    edi::TransferRequestResult build(int divisor = 1013)
    {
        run.prepared = QDateTime(QDate(2024, 3, 15), QTime(9, 5, 7));
        run.sendDir = workspace().sendDir;
        run.senderId = "BR0001";
        run.divisor = divisor;
        return edi::BuildTransferRequests(db(), ui, run);
    }

    QStringList sentFiles() const
    {
        return QDir(workspace().sendDir).entryList(QDir::Files, QDir::Name);
    }

    edi::TransferRequestRun run;
};

TEST_F(TransferRequest, RecordPiecesFollowTheLayoutExamples)
{
    EXPECT_EQ(edi::BatchKey(QTime(9, 5, 7), 2), "67l0M"); // 90507002 in base 62
    EXPECT_EQ(edi::BatchKey(QTime(23, 59, 59), 999).size(), 5);
    EXPECT_EQ(edi::RecordCheckValue(10000, 20, 1, 1013), "8923"); // 904 / 1013
    EXPECT_EQ(edi::FileCheckValue(3, 60000, 6, 1013), "0639");    // 60009 / 1016
}

TEST_F(TransferRequest, TwoBatchesOfOneInstitutionAndDateMakeOneFileByteForByte)
{
    addBatch(1, "A123456789", "2024-03-20");
    addBatch(2, "A123456789", "2024-03-20");
    const qint64 l1 = addLine(1, "101", "1203", "13", "301-0123-4567-81", 10000);
    addLine(1, "101", "1204", "03", "12345678901012", 20000);
    addLine(2, "102", "301", "11", "352-1234-5678-93", 30000);

    const edi::TransferRequestResult r = build();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(sentFiles(), QStringList{"Apt_1"});
    EXPECT_EQ(r.batchIds, (QList<int>{1, 2}));
    ASSERT_EQ(r.items.size(), 2);
    EXPECT_EQ(r.items[0].name, QStringLiteral("푸른마을아파트"));
    EXPECT_EQ(r.items[0].fileInfo, "AB100");
    EXPECT_EQ(r.items[0].count, 2);
    EXPECT_EQ(r.items[0].amount, 30000);
    EXPECT_EQ(r.items[1].amount, 30000);

    const QByteArray key1 = edi::BatchKey(QTime(9, 5, 7), 1).toLatin1();
    const int n = 1013;
    QByteArray expected;
    expected +=
        "<<NEHEAD>>1N0000000000" + QByteArray(10, ' ') + "BR0001    AB100 001BK12345   \r\n";
    expected += "S9990121A123456789221"
                "20240320"
                "20240315"
                "1013"
                "3010123456781   " +
                QByteArray(141, ' ') + "\r\n";
    expected += dRecord(1, "012", "3010123456781", 10000, "101", "1203", key1, 20, n) + "\r\n";
    expected += dRecord(2, "003", "12345678901012", 20000, "101", "1204", key1, 20, n) + "\r\n";
    expected += dRecord(3, "011", "3521234567893", 30000, "102", "301", "67l0M", 20, n) + "\r\n";
    // Last digits 1 + 2 + 3; (3 + 60000 + 6) / (3 + 1013).
    const qint64 fileSum = 3 + 60000 + 6, fileDiv = 3 + n;
    expected += "E" + zero(5, 7) + zero(3, 7) + zero(60000, 15) + zero(1, 7) + zero(30000, 15) +
                zero(1, 7) + zero(10000, 15) + zero(1, 7) + zero(20000, 15) +
                recordCheck(fileSum, fileDiv) + QByteArray(98, ' ') + "\r\n";
    const QByteArray actual = readFile("Send/Apt_1");
    EXPECT_EQ(actual, expected);
    for (const QByteArray& line : actual.split('\n').mid(1, 5))
        EXPECT_EQ(line.size(), 199); // 198 and the CR

    // Each batch has its ordinal and the send moment; the lines their
    // record number and the batch's date. States are left for the send.
    EXPECT_EQ(dump("SELECT AptID, DataNo, SendDate, Stime, State FROM Apt1 ORDER BY AptID"),
              "1|1|2024-03-15|09:05:07|1\n2|2|2024-03-15|09:05:07|1");
    EXPECT_EQ(dump("SELECT DataNo, IcheDate, State FROM Apt2 ORDER BY Apt2ID"),
              "1|2024-03-20|1\n2|2024-03-20|1\n3|2024-03-20|1");
    EXPECT_EQ(value("SELECT DataNo FROM Apt2 WHERE Apt2ID = ?", {l1}).toInt(), 1);
}

TEST_F(TransferRequest, LinesOfAnotherDateAmongTheirBatchKeepTheRecordNumbers)
{
    // The lines of a batch are numbered together, those still carrying
    // another date on their own: the numbers follow the records all the same.
    addBatch(1, "A123456789", "2024-03-20");
    addBatch(2, "A123456789", "2024-03-20");
    for (int i = 0; i < 4; ++i)
        addLine(1, "101", QString::number(1201 + i), "13", "301-0123-4567-81", 10000);
    addLine(2, "102", "301", "11", "352-1234-5678-93", 30000);
    addLine(2, "102", "302", "11", "352-1234-5678-93", 30000);
    exec("UPDATE Apt2 SET IcheDate = CASE WHEN Ho IN ('1202', '1204', '301') THEN '2024-03-01' "
         "ELSE '2024-03-20' END");

    ASSERT_TRUE(build().ok);
    EXPECT_EQ(dump("SELECT Ho, DataNo, IcheDate FROM Apt2 ORDER BY Apt2ID"),
              "1201|1|2024-03-20\n1202|2|2024-03-20\n1203|3|2024-03-20\n"
              "1204|4|2024-03-20\n301|5|2024-03-20\n302|6|2024-03-20");
    const QList<QByteArray> records = readFile("Send/Apt_1").split('\n');
    ASSERT_EQ(records.size(), 10); // envelope, S, six D, E and the end
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(records[2 + i].mid(1, 7), QByteArray::number(i + 1).rightJustified(7, '0'));
}

TEST_F(TransferRequest, LinesNumberedInRunsAndOneByOneAllCarryTheirRecordNumbers)
{
    // Long runs of consecutive lines, short ones cut by another batch's
    // lines and a line of another date inside a run: each line's number is
    // the record number its record was written under.
    addBatch(1, "A123456789", "2024-03-20");
    addBatch(2, "A123456789", "2024-03-20");
    int ho = 1000;
    const auto add = [&](int batch, int count) {
        for (int i = 0; i < count; ++i)
            addLine(batch, "101", QString::number(++ho), "13", "301-0123-4567-81", 1000);
    };
    add(1, 10);
    add(2, 1);
    add(1, 3);
    add(2, 9);
    add(1, 12);
    exec("UPDATE Apt2 SET IcheDate = CASE WHEN Ho IN ('1005', '1030') THEN '2024-03-01' "
         "ELSE '2024-03-20' END");

    ASSERT_TRUE(build().ok);
    QStringList written;
    for (const QByteArray& r : readFile("Send/Apt_1").split('\n'))
        if (r.startsWith('D'))
            written << r.mid(124, 5).trimmed() + '|' + QByteArray::number(r.mid(1, 7).toInt());
    written.sort();
    EXPECT_EQ(written.size(), 35);
    EXPECT_EQ(dump("SELECT Ho, DataNo FROM Apt2 ORDER BY Ho").split('\n'), written);
}

TEST_F(TransferRequest, FilesSplitByInstitutionAndDateAndSkipUnknownInstitutions)
{
    addInstitution(QStringLiteral("햇살아파트"), "B000000002", "BB100", "BB200");
    addBatch(1, "A123456789", "2024-03-21");
    addBatch(2, "A123456789", "2024-03-20");
    addBatch(3, "B000000002", "2024-03-20");
    addBatch(4, "Z999999999", "2024-03-20");    // no such institution
    addBatch(5, "A123456789", "2024-03-20", 0); // held back
    for (int b = 1; b <= 5; ++b)
        addLine(b, "1", "1", "04", "12345678901", 1000 * b);

    const edi::TransferRequestResult r = build();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(sentFiles(), (QStringList{"Apt_1", "Apt_2", "Apt_3"}));
    EXPECT_EQ(r.batchIds, (QList<int>{2, 1, 3}));
    EXPECT_EQ(readFile("Send/Apt_1").mid(63 + 21, 8), "20240320");
    EXPECT_EQ(readFile("Send/Apt_2").mid(63 + 21, 8), "20240321");
    EXPECT_EQ(readFile("Send/Apt_3").mid(42, 6), "BB100 ");
    ASSERT_EQ(r.skipped.size(), 1);
    EXPECT_TRUE(ui.saw("info", QStringLiteral("이용자설정에 등록되지 않은 기관의 이체자료는 송신 "
                                              "자료에서 제외하였습니다.\r") +
                                   r.skipped[0]));
    EXPECT_TRUE(r.skipped[0].contains("Z999999999"));
    EXPECT_TRUE(value("SELECT DataNo FROM Apt1 WHERE AptID = 4").isNull());
    EXPECT_TRUE(value("SELECT DataNo FROM Apt1 WHERE AptID = 5").isNull());
}

TEST_F(TransferRequest, ALineWithNoRecordFormKeepsItsBatchBehind)
{
    struct Case
    {
        const char* name;
        QString account;
        qint64 amount;
        QString detail;
    };
    const Case cases[] = {
        {"amount beyond 32 bits", "12345678901", 2147483648LL, "이체금액을 송신 자료로"},
        {"negative amount", "12345678901", -5, "이체금액을 송신 자료로"},
        {"account ending in a letter", "1234567890A", 1000, "계좌번호가 숫자로 끝나지"},
        {"empty account", "", 1000, "계좌번호가 숫자로 끝나지"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exec("DELETE FROM Apt1");
        exec("DELETE FROM Apt2");
        addBatch(1, "A123456789", "2024-03-20");
        addBatch(2, "A123456789", "2024-03-22");
        addLine(1, "1", "1", "04", "12345678901", 1000);
        addLine(2, "1", "2", "04", c.account, c.amount);
        QDir(workspace().sendDir).removeRecursively();
        QDir().mkpath(workspace().sendDir);
        ui.clear();

        const edi::TransferRequestResult r = build();
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.batchIds, QList<int>{1});
        EXPECT_EQ(sentFiles(), QStringList{"Apt_1"});
        const QStringList errors = ui.texts("error");
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].startsWith(edi::RefusedBatchMessage()));
        EXPECT_TRUE(errors[0].contains(QStringLiteral("자료번호 2\r    동 1 호 2: ") + c.detail))
            << errors[0].toStdString();
        EXPECT_EQ(dump("SELECT DataNo FROM Apt1 ORDER BY AptID"), "1\n");
    }
}

TEST_F(TransferRequest, AFailingRunChangesNothingAndLeavesNoFile)
{
    addBatch(1, "A123456789", "2024-03-20");
    addBatch(2, "A123456789", "2024-03-22");
    addLine(1, "1", "1", "04", "12345678901", 1000);
    addLine(2, "1", "2", "04", "12345678901", 1000);
    QDir(workspace().sendDir).removeRecursively(); // the send folder is gone

    const edi::TransferRequestResult r = build();
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.items.isEmpty());
    EXPECT_TRUE(sentFiles().isEmpty());
    const QStringList errors = ui.texts("error");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("송신 자료 생성중 오류가 발생하였습니다.")));
    EXPECT_TRUE(errors[0].contains(QStringLiteral("송신 파일을 쓸 수 없습니다.")))
        << errors[0].toStdString();
    EXPECT_EQ(dump("SELECT DataNo, SendDate, Stime FROM Apt1"), "||\n||");
    EXPECT_EQ(dump("SELECT DataNo, IcheDate FROM Apt2"), "|\n|");
}

TEST_F(TransferRequest, MoreThan999BatchesAreRefusedBeforeAnythingIsWritten)
{
    QSqlDatabase d = db();
    d.transaction();
    for (int b = 1; b <= 1000; ++b)
        addBatch(b, "A123456789", "2024-03-20");
    d.commit();
    const edi::TransferRequestResult r = build();
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(sentFiles().isEmpty());
    ASSERT_EQ(ui.texts("error").size(), 1);
    EXPECT_TRUE(ui.texts("error")[0].contains(QStringLiteral("999건까지")));
    EXPECT_EQ(value("SELECT Count(*) FROM Apt1 WHERE DataNo IS NOT NULL").toInt(), 0);

    exec("UPDATE Apt1 SET State = 0 WHERE AptID = 1000");
    ui.clear();
    EXPECT_TRUE(build().ok);
    EXPECT_EQ(value("SELECT Max(DataNo) FROM Apt1").toInt(), 999);
}

TEST_F(TransferRequest, NothingWaitingWritesNothing)
{
    addBatch(1, "A123456789", "2024-03-20", 2);
    const edi::TransferRequestResult r = build(0);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.items.isEmpty());
    EXPECT_TRUE(sentFiles().isEmpty());
    EXPECT_TRUE(ui.texts("error").isEmpty());
}

TEST_F(TransferRequest, TheDrawnDivisorIsOneOfTheHundredPrimesAndUsedThroughout)
{
    addBatch(1, "A123456789", "2024-03-20");
    addLine(1, "1", "1", "04", "12345678901", 1000);
    const edi::TransferRequestResult r = build(0);
    ASSERT_TRUE(r.ok);
    EXPECT_GE(r.divisor, 1009);
    EXPECT_LE(r.divisor, 1721);
    const QByteArray file = readFile("Send/Apt_1");
    EXPECT_EQ(file.mid(63 + 37, 4), zero(r.divisor, 4));
    EXPECT_EQ(file.mid(63 + 200 + 149, 4), recordCheck(1000 + 20 + 1, r.divisor));
}

} // namespace
