// The read-back of the transfer request files before they leave: a file the
// build wrote is made wrong by hand in each way the bank would refuse, and
// the checker names the batch (or the whole file) and what is wrong; the
// build leaves such a batch out and sends the others.

#include "edi/request_check.h"
#include "edi/transfer_request.h"
#include "shell/workspace.h"
#include "tests/support/data_fixture.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int kEnvelope = 63; // the envelope line and its CR LF
constexpr int kBlock = 200;   // a record and its CR LF

// Where record `n` starts: 0 is the S record, 1.. the D records.
int recordAt(int n)
{
    return kEnvelope + kBlock * n;
}

class RequestCheck : public testing_support::DataTest
{
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        addInstitution(QStringLiteral("푸른마을아파트"), "A123456789", "AB100", "AB200");
    }

    edi::TransferRequestResult build()
    {
        run.prepared = prepared;
        run.sendDir = workspace().sendDir;
        run.senderId = "BR0001";
        run.divisor = 1013;
        return edi::BuildTransferRequests(db(), ui, run);
    }

    QStringList sentFiles() const
    {
        return QDir(workspace().sendDir).entryList(QDir::Files, QDir::Name);
    }

    const QDateTime prepared{QDate(2024, 3, 15), QTime(9, 5, 7)};
    edi::TransferRequestRun run;
};

TEST_F(RequestCheck, AFileMadeWrongByHandIsRefusedForTheBatchItNames)
{
    addBatch(1, "A123456789", "2024-03-20");
    addBatch(2, "A123456789", "2024-03-20");
    addLine(1, "101", "1203", "04", "12345678901", 10000);
    addLine(1, "101", "1204", "11", "301-0123-4567-81", 20000);
    addLine(2, "102", "301", "13", "352-1234-5678-93", 30000);
    ASSERT_TRUE(build().ok);
    ASSERT_EQ(sentFiles(), QStringList{"Apt_1"});
    const QByteArray good = readFile("Send/Apt_1");

    edi::RequestChecker checker(db(), prepared);
    ASSERT_TRUE(checker.load());
    const edi::RequestFileCheck clean = checker.check(good);
    EXPECT_TRUE(clean.faults.isEmpty()) << clean.faults.value(0).what.toStdString();
    EXPECT_EQ(clean.batches, (QList<int>{1, 2}));
    EXPECT_EQ(clean.institution, "A123456789");

    const auto put = [](int record, int offset, const QByteArray& bytes) {
        return [=](QByteArray& f) { f.replace(recordAt(record) + offset, bytes.size(), bytes); };
    };
    struct Case
    {
        const char* name;
        std::function<void(QByteArray&)> change;
        int aptId; // 0: the file
        QString line;
        QString what;
    };
    const Case cases[] = {
        {"trailer count", put(4, 8, "0000004"), 0, {}, "종료 레코드의 자료 레코드 수 4"},
        {"trailer total", put(4, 15, "000000000060001"), 0, {}, "이체금액 합계 60001"},
        {"trailer group", put(4, 30, "0000002"), 0, {}, "중앙은행 건수 2"},
        {"trailer missing", [](QByteArray& f) { f.chop(kBlock); }, 0, {}, "종료(E) 레코드가 없"},
        {"CR LF in an account", put(2, 26, "1234\r\nE00000599 "), 1, "동 101 호 1204", "길이가"},
        {"LF in a building", put(1, 119, "1\n1"), 1, "동 101 호 1203", "동에 제어문자"},
        {"letter in an account", put(3, 26, "35212A4567893"), 2, "동 102 호 301",
         "계좌번호는 숫자만"},
        {"blank inside an account", put(3, 26, "352 1234567893"), 2, "동 102 호 301",
         "계좌번호는 숫자만"},
        {"amount zero", put(3, 42, "0000000000000"), 2, "동 102 호 301", "0원보다 커야"},
        {"unknown bank code", put(1, 23, "099"), 1, "동 101 호 1203", "은행코드 099"},
        {"a record left out", [](QByteArray& f) { f.remove(recordAt(2), kBlock); }, 1, {},
         "파일의 1건 10,000원이 이체자료의 2건 30,000원과"},
        {"text in a number", put(2, 1, "000000X"), 1, "동 101 호 1204", "일련번호에 숫자가"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray file = good;
        c.change(file);
        const edi::RequestFileCheck checked = checker.check(file);
        QStringList said;
        bool found = false;
        for (const edi::RequestFault& f : checked.faults) {
            said.append(QString("%1 [%2] %3").arg(f.aptId).arg(f.line, f.what));
            found = found ||
                    (f.aptId == c.aptId && f.line == c.line && f.what.contains(c.what));
        }
        EXPECT_TRUE(found) << said.join('\n').toStdString();
    }
}

TEST_F(RequestCheck, TheBuildLeavesOutTheBatchesTheBankWouldRefuseAndWritesTheRestAgain)
{
    addInstitution(QStringLiteral("햇살아파트"), "B000000002", "BB100", "BB200");
    addBatch(1, "A123456789", "2024-03-20");
    addBatch(2, "A123456789", "2024-03-20"); // wrong: shares the file of batch 1
    addBatch(3, "A123456789", "2024-03-14"); // its day has passed
    addBatch(4, "B000000002", "2024-04-30"); // beyond the window
    addBatch(5, "B000000002", "2024-03-21");
    addLine(1, "101", "1", "04", "12345678901", 1000);
    addLine(2, "101", "2", "04", "12345678901", 1000);
    addLine(2, "101", "3", "04", QString("1234\r\nE00000599"), 2000);
    addLine(3, "101", "4", "04", "12345678901", 1000);
    addLine(4, "101", "5", "04", "12345678901", 1000);
    addLine(5, "101", "6", "04", "12345678901", 1000);

    const edi::TransferRequestResult r = build();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(sentFiles(), (QStringList{"Apt_1", "Apt_2"}));
    EXPECT_EQ(r.batchIds, (QList<int>{1, 5}));
    EXPECT_EQ(r.lineCount, 2);
    // The files that go are those of the batches that go, numbered anew.
    const QByteArray first = readFile("Send/Apt_1");
    EXPECT_EQ(first.size(), kEnvelope + 3 * kBlock);
    EXPECT_EQ(first.mid(recordAt(1) + 114, 5), edi::BatchKey(QTime(9, 5, 7), 1).toLatin1());
    EXPECT_EQ(dump("SELECT AptID, DataNo FROM Apt1 ORDER BY AptID"), "1|1\n2|\n3|\n4|\n5|2");

    ASSERT_EQ(r.refused.size(), 3);
    const QStringList errors = ui.texts("error");
    ASSERT_EQ(errors.size(), 1);
    const QString& said = errors[0];
    EXPECT_TRUE(said.startsWith(edi::RefusedBatchMessage())) << said.toStdString();
    for (const char* part :
         {"기관코드 [A123456789] 이체일자 2024-03-20 자료번호 2", "동 101 호 3: ",
          "계좌번호는 숫자만으로 되어 있어야 합니다. [1234  E00000599]",
          "저장된 계좌번호에 제어문자가 있습니다. [1234<0D><0A>E00000599]",
          "자료번호 3\r    이체일자 2024-03-14이 이미 지났습니다.",
          "자료번호 4\r    이체일자 2024-04-30이 송신일로부터 20일을 넘습니다."})
        EXPECT_TRUE(said.contains(QString::fromUtf8(part))) << part << "\n" << said.toStdString();
    EXPECT_FALSE(said.contains("자료번호 1\r")) << said.toStdString();
    EXPECT_FALSE(said.contains("자료번호 5")) << said.toStdString();
}

TEST_F(RequestCheck, NothingLeftToSendIsNoFailure)
{
    addBatch(1, "A123456789", "2024-03-20");
    addLine(1, "101", "1", "99", "12345678901", 1000);
    const edi::TransferRequestResult r = build();
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.batchIds.isEmpty());
    EXPECT_TRUE(sentFiles().isEmpty());
    ASSERT_EQ(r.refused.size(), 1);
    EXPECT_TRUE(ui.texts("error").value(0).contains("은행코드 099이 은행코드표에 없습니다"))
        << ui.texts("error").value(0).toStdString();
}

} // namespace
