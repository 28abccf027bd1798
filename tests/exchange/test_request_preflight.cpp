// Values the bank would refuse, written into the tables by another tool:
// through the real pelmar-tool the send leaves each such batch out, named
// with its line and what is wrong, sends the others in files whose every
// record has its width, and `check` names the stored values.

#include "tests/exchange/tool_exchange_fixture.h"

#include <gtest/gtest.h>

namespace {

using testing_support::ProgramRun;

class RequestPreflight : public exchange_tests::ToolExchangeTest
{
};

TEST_F(RequestPreflight, BatchesTheBankWouldRefuseStayBehindNamedAndTheOthersGo)
{
    addInstitution(QStringLiteral("햇살아파트"), "B000000002", "BB100", "BB200");
    struct Batch
    {
        int aptId;
        const char* institution;
        const char* date;
        const char* dong;
        const char* bank;
        const char* account;
        qint64 amount;
        const char* said; // empty: the batch goes
    };
    const Batch batches[] = {
        {1, "A123456789", "2024-03-20", "101", "04", "12345678901", 10000, ""},
        {2, "A123456789", "2024-03-20", "101", "04", "1234\r\nE00000599", 20000,
         "저장된 계좌번호에 제어문자가 있습니다. [1234<0D><0A>E00000599]"},
        {3, "A123456789", "2024-03-21", "A\nB", "04", "12345678901", 30000,
         "저장된 동에 제어문자가 있습니다. [A<0A>B]"},
        {4, "A123456789", "2024-03-22", "101", "04", "3012A4567890", 40000,
         "계좌번호는 숫자만으로 되어 있어야 합니다. [3012A4567890]"},
        {5, "B000000002", "2024-03-20", "101", "04", "12345678901", 0,
         "이체금액이 0원입니다. 0원보다 커야 합니다."},
        {6, "B000000002", "2024-03-21", "101", "99", "12345678901", 60000,
         "은행코드 099이 은행코드표에 없습니다."},
        {7, "B000000002", "2024-03-22", "102", "04", "12345678901", 70000, ""},
    };
    for (const Batch& b : batches) {
        addBatch(b.aptId, b.institution, b.date);
        addLine(b.aptId, "101", "1201", "04", "12345678901", 1000);
        addLine(b.aptId, QString::fromUtf8(b.dong), "1202", b.bank, b.account, b.amount);
    }

    const ProgramRun r = tool({"--yes", "send"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString said = r.out + r.err;
    EXPECT_EQ(dump("SELECT AptID, State FROM Apt1 ORDER BY AptID"),
              "1|2\n2|1\n3|1\n4|1\n5|1\n6|1\n7|2");
    EXPECT_EQ(value("SELECT Count(*) FROM Apt2 WHERE State = 2").toInt(), 4);
    for (const Batch& b : batches) {
        const QString name = QString("기관코드 [%1] 이체일자 %2 자료번호 %3")
                                 .arg(b.institution, b.date)
                                 .arg(b.aptId);
        if (*b.said == 0) {
            EXPECT_FALSE(said.contains(name + "\n")) << said.toStdString();
            continue;
        }
        const QString line =
            QString("동 %1 호 1202: ").arg(QString::fromUtf8(b.dong).replace("\n", "<0A>"));
        EXPECT_TRUE(said.contains(name)) << name.toStdString() << "\n" << said.toStdString();
        EXPECT_TRUE(said.contains(line + QString::fromUtf8(b.said)))
            << b.said << "\n" << said.toStdString();
    }

    // What left: two files, every line of them its width.
    const QStringList kept = filesIn("Send/Old/20240315");
    ASSERT_EQ(kept, (QStringList{"Apt_1", "Apt_2"}));
    for (const QString& name : kept) {
        const QList<QByteArray> lines = readFile("Send/Old/20240315/" + name).split('\n');
        ASSERT_EQ(lines.size(), 6) << name.toStdString(); // envelope, S, 2 D, E, ""
        EXPECT_EQ(lines[0].size(), 62);
        for (int i = 1; i < 5; ++i)
            EXPECT_EQ(lines[i].size(), 199) << name.toStdString() << " line " << i;
    }

    // The stored values are named by the check.
    const ProgramRun check = tool({"check"});
    EXPECT_EQ(check.exitCode, 1);
    for (const char* problem :
         {"value Apt2 Apt2ID=4 BankNo: control character [1234<0D><0A>E00000599]",
          "value Apt2 Apt2ID=4 BankNo: account with other than digits and hyphens",
          "value Apt2 Apt2ID=6 Dong: control character [A<0A>B]",
          "value Apt2 Apt2ID=8 BankNo: account with other than digits and hyphens "
          "[3012A4567890]"})
        EXPECT_TRUE(check.out.contains(QString::fromUtf8(problem)))
            << problem << "\n" << check.out.toStdString();
    EXPECT_FALSE(check.out.contains("Apt2ID=2 ")) << check.out.toStdString();
}

} // namespace
