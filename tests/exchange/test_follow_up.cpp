// The follow-up of failed withdrawals through pelmar-tool and the stand-in
// centre: which failed lines a batch presents again by their result codes,
// that presenting a batch twice makes nothing new, that the cap holds over
// rounds of send, answer and re-presentation, and which consents the
// answers put up for review.

#include "tests/exchange/tool_exchange_fixture.h"

#include <QFile>

namespace {

using exchange_tests::ToolExchangeTest;
using testing_support::ProgramRun;

class FollowUp : public ToolExchangeTest
{
protected:
    ProgramRun sim(const QStringList& args)
    {
        return testing_support::RunProgram(CLEARING_SIM, home(), args);
    }

    // Sends what waits, has the centre refuse every line (1000 unless the
    // answer is rewritten by `codes`, one code a line in order) and
    // receives the answer.
    void roundTrip(const QStringList& codes = {})
    {
        ProgramRun r = tool({"--yes", "send"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString() << r.out.toStdString();
        r = sim({"--fail-every", "1"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        if (!codes.isEmpty())
            rewriteCodes(codes);
        r = tool({"--yes", "receive"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString() << r.out.toStdString();
    }

    // A hand-made answer: the centre's, with the result code of each
    // refused line replaced, in order.
    void rewriteCodes(const QStringList& codes)
    {
        QFile f(path("Mailbox/Inbox/AB200"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QList<QByteArray> records = f.readAll().split('\n');
        f.close();
        int next = 0;
        for (QByteArray& rec : records) {
            if (rec.size() < 160 || rec.at(0) != 'D' || rec.at(154) != 'N')
                continue;
            ASSERT_LT(next, codes.size());
            rec.replace(155, 4, codes[next++].toLatin1());
        }
        ASSERT_EQ(next, codes.size());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(records.join('\n'));
    }

    QString batchCount() { return dump("SELECT Count(*) FROM Apt1"); }
};

TEST_F(FollowUp, EachRuleTakesItsLinesAndTheCapHoldsOverThreeRounds)
{
    addBatch(1, "A123456789", "2024-03-20");
    const qint64 l1 = addLine(1, "101", "101", "11", "352-1234-5678-91", 10000);
    const qint64 l2 = addLine(1, "101", "102", "13", "301-0123-4567-81", 20000);
    addLine(1, "101", "103", "04", "12345678901", 30000);
    addLine(1, "101", "104", "05", "98765432101", 40000);
    const qint64 l5 = addLine(1, "101", "105", "20", "10020030040", 50000);
    addLine(1, "101", "106", "11", "352-1234-5678-96", 60000);
    // The consents of the lines refused for an unknown payer (2002), a
    // wrong account whose consent is already cancelled (1012) and one
    // refused for want of money (1000).
    addConsent("A123456789", "04", "12345678901", "101103", 2);
    addConsent("A123456789", "05", "98765432101", "101104", 6);
    addConsent("A123456789", "11", "3521234567891", "101101", 2);
    roundTrip({"1000", "1002", "2002", "1012", "1000", "1005"});
    ASSERT_EQ(dump("SELECT ResultID4 FROM Apt2 ORDER BY Apt2ID"),
              "1000\n1002\n2002\n1012\n1000\n1005");

    // Only the consent whose latest line asks for it is listed, and none changes.
    const QString consents = dump("SELECT * FROM TongRegister ORDER BY rowid");
    ProgramRun r = tool({"consents-to-review"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("A123456789\t101103\t04\t12345678901\t2002\t"
                                    "대상 납부자 없음(자동이체미등록)\t2024-03-20\n"));
    EXPECT_EQ(dump("SELECT * FROM TongRegister ORDER BY rowid"), consents);

    // Round one: the two 잔액부족 lines and the 한도초과 one, on the next
    // business day (the frozen day is a Friday), waiting for the user.
    r = tool({"represent", "--batch", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "2\t3\t80000\t0\n");
    EXPECT_TRUE(r.err.contains(QStringLiteral("재청구 대상 코드가 아닌 3건은 제외합니다.")))
        << r.err.toStdString();
    EXPECT_EQ(dump("SELECT GiganID10, IcheDate, IcheEDate, State, TotNo, TotMoney, E1JunNo, "
                   "E1JoNo, E1SucNo FROM Apt1 WHERE AptID = 2"),
              "A123456789|2024-03-18|2024-03-18|0|3|80000|1|1|1");
    EXPECT_EQ(dump("SELECT Dong, Ho, BankCode, BankNo, IcheMoney, IcheDate, IcheYebu, State, "
                   "DataNo FROM Apt2 WHERE AptID = 2 ORDER BY Apt2ID"),
              "101|101|11|352-1234-5678-91|10000|2024-03-18|Z|0|1\n"
              "101|102|13|301-0123-4567-81|20000|2024-03-18|Z|0|2\n"
              "101|105|20|10020030040|50000|2024-03-18|Z|0|3");
    EXPECT_EQ(dump("SELECT FromApt2ID, OrigApt2ID FROM RepresentedLine ORDER BY Apt2ID"),
              QString("%1|%1\n%2|%2\n%3|%3").arg(l1).arg(l2).arg(l5));

    // The same batch again makes nothing and says so.
    r = tool({"represent", "--batch", "1"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.contains(QStringLiteral("이미 재청구하였습니다. 새로 만든 자료가 없습니다.")))
        << r.err.toStdString();
    EXPECT_EQ(batchCount(), "2");

    // Round two: sent, refused again, every line presented a second time.
    ASSERT_EQ(tool({"set-state", "--batch", "2", "--state", "1"}).exitCode, 0);
    roundTrip();
    r = tool({"represent", "--batch", "2", "--date", "2024-03-19"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "3\t3\t80000\t0\n");
    EXPECT_EQ(dump("SELECT OrigApt2ID FROM RepresentedLine WHERE AptID = 3 ORDER BY Apt2ID"),
              QString("%1\n%2\n%3").arg(l1).arg(l2).arg(l5));

    // Round three: each original line has been presented twice, the cap.
    ASSERT_EQ(tool({"set-state", "--batch", "3", "--state", "1"}).exitCode, 0);
    roundTrip();
    r = tool({"represent", "--batch", "3"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.contains(QStringLiteral("재청구할 불능자료가 없습니다.")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("재청구 한도에 이른 3건은 제외합니다.")))
        << r.err.toStdString();
    EXPECT_EQ(batchCount(), "3");

    // The cap is the rule's: raised for 잔액부족, those lines go once more.
    r = tool({"follow-up-rules", "--code", "1000", "--action", "재청구", "--cap", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = tool({"represent", "--batch", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "4\t3\t80000\t0\n");
}

TEST_F(FollowUp, ABatchNotAnsweredOrADateTheRulesRefuseMakesNothing)
{
    addBatch(1, "A123456789", "2024-03-20");
    addLine(1, "101", "101", "11", "352-1234-5678-91", 10000);
    const std::vector<std::pair<QStringList, QString>> refusals = {
        {{"--batch", "1"}, QStringLiteral("수신완료된 자료만 재청구할 수 있습니다.")},
        {{"--batch", "9"}, QStringLiteral("이체자료 9 이(가) 없습니다.")},
    };
    for (const auto& [args, text] : refusals) {
        const ProgramRun r = tool(QStringList{"represent"} + args);
        EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(text)) << r.err.toStdString();
    }
    roundTrip();
    const std::vector<std::pair<QString, QString>> dates = {
        {"2024-03-16", QStringLiteral("지정한 이체 일자가 공휴일입니다.")},
        {"2024-03-14", QStringLiteral("이체일자가 현재일자 보다 이전일자 입니다.")},
        {"2024-04-09", QStringLiteral("20일 이내의 일자를 입력하세요.")},
    };
    for (const auto& [date, text] : dates) {
        const ProgramRun r = tool({"represent", "--batch", "1", "--date", date});
        EXPECT_EQ(r.exitCode, 1) << date.toStdString();
        EXPECT_TRUE(r.err.contains(text)) << r.err.toStdString();
    }
    EXPECT_EQ(tool({"represent", "--batch", "x"}).exitCode, 2);
    EXPECT_EQ(batchCount(), "1");

    // A re-presentation deleted before it went out presented nothing.
    ASSERT_EQ(tool({"represent", "--batch", "1"}).out, "2\t1\t10000\t0\n");
    exec("DELETE FROM Apt2 WHERE AptID = 2");
    exec("DELETE FROM Apt1 WHERE AptID = 2");
    EXPECT_EQ(tool({"represent", "--batch", "1"}).out, "2\t1\t10000\t0\n");
}

TEST_F(FollowUp, ARuleTableThatDoesNotReadIsAnErrorNeverAnEmptyList)
{
    addBatch(1, "A123456789", "2024-03-20");
    addLine(1, "101", "101", "11", "352-1234-5678-91", 10000);
    roundTrip();
    // As another tool could leave it.
    exec("ALTER TABLE FollowUpRule RENAME COLUMN Action TO Act");
    for (const QStringList& args : {QStringList{"represent", "--batch", "1"},
                                    QStringList{"consents-to-review"},
                                    QStringList{"follow-up-rules"}}) {
        const ProgramRun r = tool(args);
        EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(r.err.contains(QStringLiteral("error: 자료를 읽지 못했습니다.")))
            << r.err.toStdString();
    }
    EXPECT_EQ(batchCount(), "1");
}

TEST_F(FollowUp, TheRulesAreSeededAndEditable)
{
    ProgramRun r = tool({"follow-up-rules"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList rows = r.out.split('\n', Qt::SkipEmptyParts);
    QStringList represent, review;
    for (const QString& row : rows) {
        const QStringList f = row.split('\t');
        ASSERT_EQ(f.size(), 4) << row.toStdString();
        if (f[2] == QStringLiteral("재청구"))
            represent << f[0] + "/" + f[3];
        else if (f[2] == QStringLiteral("동의 확인"))
            review << f[0];
        else
            EXPECT_EQ(f[2], QStringLiteral("없음"));
    }
    EXPECT_EQ(represent, (QStringList{"1000/2", "1002/2"}));
    EXPECT_EQ(review, (QStringList{"0107", "0204", "1001", "1003", "1012", "1013", "1014", "2002",
                                   "2006", "2007", "2008"}));
    // Every code of the result-code table is listed.
    EXPECT_EQ(rows.size(), dump("SELECT Count(*) FROM CodeP").toInt());

    const std::vector<std::pair<QStringList, int>> edits = {
        {{"--code", "1005", "--action", "동의확인"}, 0},
        {{"--code", "1000", "--action", "없음"}, 0},
        {{"--code", "1002", "--action", "재청구", "--cap", "0"}, 1},
        {{"--code", "12", "--action", "재청구"}, 1},
        {{"--code", "1002", "--action", "보류"}, 2},
        {{"--cap", "3"}, 2},
    };
    for (const auto& [args, code] : edits)
        EXPECT_EQ(tool(QStringList{"follow-up-rules"} + args).exitCode, code)
            << args.join(' ').toStdString();
    EXPECT_EQ(dump("SELECT ResultCode, Action, Cap FROM FollowUpRule WHERE ResultCode IN "
                   "('1000', '1002', '1005') ORDER BY ResultCode"),
              "1000|0|\n1002|1|2\n1005|2|");
}

} // namespace
