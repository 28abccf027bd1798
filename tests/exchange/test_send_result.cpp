// The link's transmission report as the results view reads and shows it.

#include "exchange/send_result.h"
#include "tests/exchange/exchange_fixture.h"

#include <gtest/gtest.h>

namespace {

// A report line with the fields at their character positions.
QString reportLine(const QString& info, const QString& receiver, const QString& sent,
                   const QString& received, const QString& count, const QString& size,
                   const QString& error = {})
{
    return QString("S  ") + info.leftJustified(8) + QString(9, ' ') + receiver.leftJustified(10) +
           ' ' + sent.leftJustified(10) + ' ' + received.leftJustified(10) + ' ' +
           count.rightJustified(5) + ' ' + size.rightJustified(12) + "  " + error;
}

struct RowCase
{
    const char* name;
    QString line;
    QStringList row;
};

class ResultRows : public ::testing::TestWithParam<RowCase>
{
};

TEST_P(ResultRows, ShowTheReportLineAsTheListDoes)
{
    EXPECT_EQ(exchange::ResultRow(exchange::ParseResultLine(GetParam().line)), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(
    Exchange, ResultRows,
    ::testing::Values(
        RowCase{"TransferOf1040Bytes",
                reportLine("AB100", "BK12345", "2403151030", "2403151105", "1", "1040"),
                {"AB100", "BK12345", "2024-03-15  10:30", "2024-03-15  11:05", "11",
                 QStringLiteral("정 상")}},
        RowCase{"TooSmallForACount",
                reportLine("AB100", "BK12345", "2403151030", "", "0", "150"),
                {"AB100", "BK12345", "2024-03-15  10:30", "", "", QStringLiteral("정 상")}},
        RowCase{"HelpDeskArchiveNeverCounts",
                reportLine("FAZIP", "KEVLO01", "9912310000", "0001010000", "2", "50000",
                           QStringLiteral("압축 오류")),
                {"FAZIP", "KEVLO01", "1999-12-31  00:00", "2000-01-01  00:00", "",
                 QStringLiteral("오 류")}},
        RowCase{"HelpDeskTextNeverCounts",
                reportLine("FATXT", "HELP1", "2403151030", "", "x", "9600"),
                {"FATXT", "HELP1", "2024-03-15  10:30", "", "", QStringLiteral("정 상")}},
        RowCase{"BadNumbersAndDates",
                reportLine("AB100", "", "24991599", "", "x", "abc"),
                {"AB100", "", "1990-01-01  00:00", "", "", QStringLiteral("정 상")}}),
    [](const auto& info) { return info.param.name; });

class ResultDetails : public exchange_tests::ExchangeTest
{
};

TEST_F(ResultDetails, NameTheWorkAndTheReceiver)
{
    struct Case
    {
        QString line;
        QString work, receiverName, fetches, records, bytes, result;
    };
    const Case cases[] = {
        {reportLine("AB100", "BK12345", "2403151030", "2403151105", "3", "1040"),
         QStringLiteral("Veltrin (푸른마을아파트, A123456789)"), QStringLiteral("Tervo 전산부"),
         QStringLiteral("3회"), QStringLiteral("11건"), QStringLiteral("1040바이트"),
         QStringLiteral("정상 처리")},
        {reportLine("FAZIP", "KEVLO01", "2403151030", "", "0", "0", QStringLiteral("압축 오류")),
         QStringLiteral("DB 자료보내기 (장애처리용)"),
         QStringLiteral("Miradel 주식회사 HELP-DESK"),
         QStringLiteral("0회"),
         {},
         {},
         QStringLiteral("압축 오류")},
        {reportLine("FATXT", "HELPDESK", "2403151030", "", "1", "120"),
         QStringLiteral("파일 보내기 (장애처리용)"),
         QStringLiteral("Miradel 주식회사 HELP-DESK"),
         QStringLiteral("1회"),
         {},
         QStringLiteral("120바이트"),
         QStringLiteral("정상 처리")},
        {reportLine("ZZ999", "BR0001", "2403151030", "", "1", "400"),
         QStringLiteral("알수없음 (해당 정보명이 등록되어 있지 않음)"),
         QStringLiteral("일반 이용자"), QStringLiteral("1회"), QStringLiteral("3건"),
         QStringLiteral("400바이트"), QStringLiteral("정상 처리")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        const exchange::ResultDetail d =
            *exchange::DescribeResult(db(), exchange::ParseResultLine(c.line));
        EXPECT_EQ(d.work, c.work);
        EXPECT_EQ(d.receiverName, c.receiverName);
        EXPECT_EQ(d.fetches, c.fetches);
        EXPECT_EQ(d.records, c.records);
        EXPECT_EQ(d.bytes, c.bytes);
        EXPECT_EQ(d.result, c.result);
    }
}

TEST_F(ResultDetails, TheReportIsReadLineByLineInFileOrder)
{
    writeFile("Result/RptEDI",
              (reportLine("AB100", "BK12345", "2403151030", "", "1", "1040") + "\r\n" +
               reportLine("FAZIP", "KEVLO01", "2403141030", "", "1", "0") + "\r\n")
                  .toLatin1());
    QList<exchange::TResultRecord> records;
    ASSERT_TRUE(exchange::ReadResultReport(exchange::ReportPath(workspace()), records));
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].infoName, "AB100");
    EXPECT_EQ(records[1].infoName, "FAZIP");
    EXPECT_FALSE(exchange::ReadResultReport(path("Result/missing"), records));
}

} // namespace
