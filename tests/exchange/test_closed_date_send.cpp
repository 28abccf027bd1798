// A batch whose transfer date became a non-business day after it was saved
// stays behind at the send, named, while the other batches go; through the
// real pelmar-tool.

#include "tests/exchange/tool_exchange_fixture.h"

#include <gtest/gtest.h>

namespace {

using testing_support::ProgramRun;

class ClosedDateSend : public exchange_tests::ToolExchangeTest
{
protected:
    // The transfer dates of the request files that left, as the day's kept
    // copies hold them.
    QStringList sentDates()
    {
        QStringList dates;
        for (const QString& name : filesIn("Send/Old/20240315"))
            dates.append(
                QString::fromLatin1(readFile("Send/Old/20240315/" + name).mid(63 + 21, 8)));
        return dates;
    }
};

TEST_F(ClosedDateSend, OnlyTheBatchOnAClosedDayStaysBehind)
{
    addBatch(1, "A123456789", "2024-03-20");
    addBatch(2, "A123456789", "2024-03-21");    // the branch closes this day later
    addBatch(3, "A123456789", "2024-04-10");    // election day, announced
    addBatch(4, "A123456789", "2024-03-22", 0); // not waiting: never sent
    for (int b = 1; b <= 4; ++b)
        addLine(b, "101", QString::number(100 + b), "04", "12345678901", 10000 * b);
    ASSERT_EQ(tool({"calendar", "add", "2024-03-21", "지점 휴무"}).exitCode, 0);

    ProgramRun r = tool({"--yes", "send"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(sentDates(), QStringList{"20240320"});
    EXPECT_EQ(dump("SELECT AptID, State FROM Apt1 ORDER BY AptID"), "1|2\n2|1\n3|1\n4|0");
    EXPECT_EQ(dump("SELECT AptID, State FROM Apt2 WHERE AptID < 4 ORDER BY AptID"),
              "1|2\n2|1\n3|1");
    const QString said = r.out + r.err;
    EXPECT_TRUE(said.contains("이체일자가 휴무일인 이체자료는 송신 자료에서 제외하였습니다."))
        << said.toStdString();
    EXPECT_TRUE(said.contains("기관코드 [A123456789] 이체일자 2024-03-21 자료번호 2 (지점 휴무)"))
        << said.toStdString();
    EXPECT_TRUE(said.contains("이체일자 2024-04-10 자료번호 3 (제22대 국회의원선거)"))
        << said.toStdString();
    EXPECT_FALSE(said.contains("자료번호 1")) << said.toStdString();

    // Re-opened by the branch, the day goes with the next send.
    ASSERT_EQ(tool({"calendar", "open", "2024-03-21", "정상 영업"}).exitCode, 0);
    r = tool({"--yes", "send"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(sentDates(), (QStringList{"20240320", "20240321"}));
    EXPECT_EQ(dump("SELECT AptID, State FROM Apt1 ORDER BY AptID"), "1|2\n2|2\n3|1\n4|0");
}

} // namespace
