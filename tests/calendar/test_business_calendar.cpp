#include "calendar/business_calendar.h"
#include "calendar/holidays.h"
#include "platform/process_list.h"
#include "store/database.h"
#include "store/shipped_closures.h"
#include "tests/support/program_run.h"
#include "tests/support/workspace_fixture.h"

#include <QFileInfo>
#include <QSet>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

QString Iso(const QDate& d)
{
    return d.toString(Qt::ISODate);
}

QString ShippedFile()
{
    return QStringLiteral(PELMAR_SOURCE_DIR "/data/closures.txt");
}

calendar::BusinessCalendar ShippedCalendar()
{
    calendar::BusinessCalendar cal;
    for (const store::ShippedClosure& c : store::ReadShippedClosures(ShippedFile(), nullptr))
        cal.addRow(c.date, true, c.name, false);
    return cal;
}

} // namespace

TEST(BusinessCalendar, EmptyCalendarGivesTheFixedAnswers)
{
    const calendar::BusinessCalendar empty;
    for (QDate d(1900, 1, 1); d.year() <= 2100; d = d.addDays(1))
        ASSERT_EQ(empty.isHoliday(d), calendar::IsHoliday(d)) << Iso(d).toStdString();
}

TEST(BusinessCalendar, BranchRowsOverrideEverySource)
{
    calendar::BusinessCalendar cal = ShippedCalendar();
    cal.addRow(QDate(2026, 3, 2), false, "정상 영업", true);  // shipped substitute re-opened
    cal.addRow(QDate(2025, 10, 9), false, "정상 영업", true); // fixed 한글날 re-opened
    cal.addRow(QDate(2030, 5, 6), false, "정상 영업", true);  // computed re-opened
    cal.addRow(QDate(2026, 3, 3), true, "지점 휴무", true);
    EXPECT_FALSE(cal.isHoliday(QDate(2026, 3, 2)));
    EXPECT_FALSE(cal.isHoliday(QDate(2025, 10, 9)));
    EXPECT_FALSE(cal.isHoliday(QDate(2030, 5, 6)));
    EXPECT_TRUE(cal.isHoliday(QDate(2026, 3, 3)));
    EXPECT_TRUE(cal.isHoliday(QDate(2026, 3, 4)) == false);
    EXPECT_EQ(cal.nextBusinessDay(QDate(2026, 2, 27)), QDate(2026, 3, 2));
    EXPECT_EQ(cal.nextBusinessDay(QDate(2026, 3, 2)), QDate(2026, 3, 4));
    EXPECT_EQ(ShippedCalendar().nextBusinessDay(QDate(2026, 2, 13)), QDate(2026, 2, 19));
}

// The prepared day table answers as the rows and the rules do, whatever the
// order of questions and rows (a row added after a question included).
TEST(BusinessCalendar, PreparedAnswersAgreeWithTheRowsEveryDay)
{
    calendar::BusinessCalendar cal = ShippedCalendar();
    EXPECT_TRUE(cal.isHoliday(QDate(2040, 2, 13)));           // works out one later year first
    cal.addRow(QDate(2040, 2, 13), false, "정상 영업", true); // computed, re-opened
    cal.addRow(QDate(2027, 10, 4), false, "정상 영업", true);
    cal.addRow(QDate(1900, 1, 2), true, "지점 휴무", true);
    cal.addRow(QDate(2100, 12, 30), true, "지점 휴무", true);
    cal.addRow(QDate(2024, 4, 10), false, "정상 영업", true); // shipped, re-opened
    int closedByRows = 0;
    for (QDate d(2100, 12, 31); d.year() >= 1900; d = d.addDays(-1)) {
        const calendar::CalendarDay day = cal.describe(d);
        ASSERT_EQ(cal.isHoliday(d), day.closed) << Iso(d).toStdString();
        closedByRows += day.closed && day.source >= calendar::DaySource::Computed ? 1 : 0;
    }
    EXPECT_GT(closedByRows, 300);
    EXPECT_FALSE(cal.isHoliday(QDate(2040, 2, 13)));
    EXPECT_TRUE(cal.isHoliday(QDate(1900, 1, 2)));
}

// The rules, run over the years whose substitutes were announced, give
// exactly the announced substitute days.
TEST(ComputedClosures, MatchTheAnnouncedSubstitutes)
{
    QSet<QString> announced;
    for (const store::ShippedClosure& c : store::ReadShippedClosures(ShippedFile(), nullptr))
        if (c.name.startsWith("대체공휴일") && c.date.year() >= 2022)
            announced.insert(Iso(c.date));
    ASSERT_EQ(announced.size(), 13);
    QSet<QString> computed;
    for (int year = 2022; year <= 2026; ++year)
        for (const calendar::CalendarDay& c : calendar::ComputedClosures(year))
            if (c.name.startsWith("대체공휴일"))
                computed.insert(Iso(c.date));
    EXPECT_EQ(computed, announced);
}

TEST(ComputedClosures, LaterYearsByTheRules)
{
    struct Case
    {
        int year;
        QStringList days; // every computed closure of the year
    } cases[] = {
        // Seollal with a Sunday, Liberation, Foundation Day on Sundays, Hangul
        // Day and Christmas on Saturdays.
        {2027,
         {"2027-02-09 대체공휴일(설날)", "2027-08-16 대체공휴일(광복절)",
          "2027-10-04 대체공휴일(개천절)", "2027-10-11 대체공휴일(한글날)",
          "2027-12-27 대체공휴일(성탄절)", "2027-12-31 연말 휴무"}},
        // Chuseok's block holds National Foundation Day: one day owed.
        {2028, {"2028-07-17 제헌절", "2028-10-05 대체공휴일(추석)"}},
        // Children's Day on a Saturday, Buddha's Birthday on a Sunday, a
        // short 12th month.
        {2029,
         {"2029-02-12 설날 전날", "2029-05-07 대체공휴일(어린이날)",
          "2029-05-21 대체공휴일(부처님오신날)", "2029-07-17 제헌절", "2029-09-24 대체공휴일(추석)",
          "2029-12-31 연말 휴무"}},
        // A Sunday inside Seollal that starts on a Saturday; Constitution
        // Day on a Sunday owes nothing.
        {2033,
         {"2033-02-02 대체공휴일(설날)", "2033-10-10 대체공휴일(한글날)",
          "2033-12-26 대체공휴일(성탄절)"}},
    };
    for (const Case& c : cases) {
        QStringList got;
        for (const calendar::CalendarDay& d : calendar::ComputedClosures(c.year))
            got.append(Iso(d.date) + " " + d.name);
        EXPECT_EQ(got, c.days) << c.year;
    }
    // Before 2021 only the old rules: Liberation Day on a Sunday in 2020 owed nothing.
    for (const calendar::CalendarDay& d : calendar::ComputedClosures(2020))
        EXPECT_NE(d.name, "대체공휴일(광복절)");
}

TEST(ComputedClosures, OnlyForYearsAfterTheShippedOnes)
{
    calendar::BusinessCalendar cal = ShippedCalendar();
    EXPECT_EQ(cal.lastShippedYear(), 2026);
    EXPECT_TRUE(cal.isHoliday(QDate(2027, 2, 9)));
    EXPECT_EQ(cal.describe(QDate(2027, 2, 9)).source, calendar::DaySource::Computed);
    // 2020: the substitute rules are not applied over the shipped years.
    EXPECT_FALSE(cal.isHoliday(QDate(2020, 10, 5)));
    cal.addRow(QDate(2027, 2, 9), true, "대체공휴일(설날)", true);
    EXPECT_EQ(cal.describe(QDate(2027, 2, 9)).source, calendar::DaySource::Branch);
}

TEST(ShippedClosures, BadLinesAreSkippedTheRestLoads)
{
    QTemporaryDir dir;
    QFile f(dir.filePath("closures.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("# comment\n"
            "2026-03-02\t대체공휴일(삼일절)\t근거\n"
            "2026-02-30\t없는 날\n"
            "2101-01-02\t범위 밖\n"
            "26-03-02\t짧은 연도\n"
            "2026-06-03\t\n"
            "\n"
            "2026-06-03\t제9회 전국동시지방선거\t근거\n");
    f.close();
    QStringList skipped;
    const auto rows = store::ReadShippedClosures(f.fileName(), &skipped);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1].date, QDate(2026, 6, 3));
    EXPECT_EQ(skipped.size(), 4);
    EXPECT_TRUE(skipped[0].startsWith("line 3: "));
}

// The calendar as pelmar-tool keeps and answers it in a new installation.
class CalendarTool : public testing_support::WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        ws = home() + "branch";
        ASSERT_EQ(tool({"prepare-db"}).exitCode, 0);
    }
    testing_support::ProgramRun tool(const QStringList& args)
    {
        return testing_support::RunProgram(
            qPrintable(QFileInfo(platform::OwnExecutable()).absolutePath() + "/pelmar-tool"), ws,
            QStringList{"--quiet"} + args);
    }
    QSet<QString> closedWeekdays(const QStringList& holidayArgs)
    {
        const auto run = tool(QStringList{"holiday"} + holidayArgs);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        QSet<QString> out;
        for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts)) {
            const QDate d = QDate::fromString(line.left(10), Qt::ISODate);
            if (d.dayOfWeek() < Qt::Saturday && line.endsWith(" 1"))
                out.insert(line.left(10));
        }
        return out;
    }
    QString ws;
};

TEST_F(CalendarTool, WeekdaysOf2024To2026AgainstTheAnnouncedClosures)
{
    // Every closed weekday as announced, plus the bank's own fixed days
    // (01-27, 04-15, 05-01) that the fixed list keeps.
    const QStringList announced = {
        "2024-01-01", "2024-02-09", "2024-02-12", "2024-03-01", "2024-04-10", "2024-04-15",
        "2024-05-01", "2024-05-06", "2024-05-15", "2024-06-06", "2024-08-15", "2024-09-16",
        "2024-09-17", "2024-09-18", "2024-10-01", "2024-10-03", "2024-10-09", "2024-12-25",
        "2024-12-31", "2025-01-01", "2025-01-27", "2025-01-28", "2025-01-29", "2025-01-30",
        "2025-03-03", "2025-04-15", "2025-05-01", "2025-05-05", "2025-05-06", "2025-06-03",
        "2025-06-06", "2025-08-15", "2025-10-03", "2025-10-06", "2025-10-07", "2025-10-08",
        "2025-10-09", "2025-12-25", "2025-12-31", "2026-01-01", "2026-01-27", "2026-02-16",
        "2026-02-17", "2026-02-18", "2026-03-02", "2026-04-15", "2026-05-01", "2026-05-05",
        "2026-05-25", "2026-06-03", "2026-07-17", "2026-08-17", "2026-09-24", "2026-09-25",
        "2026-10-05", "2026-10-09", "2026-12-25", "2026-12-31"};
    const QSet<QString> expected(announced.begin(), announced.end());
    EXPECT_EQ(closedWeekdays({"2024-01-01", "2026-12-31"}), expected);

    // The fixed rules alone miss what the issue names.
    const QSet<QString> fixed = closedWeekdays({"--fixed", "2024-01-01", "2026-12-31"});
    for (const char* day : {"2026-02-16", "2026-03-02", "2026-05-25", "2026-06-03", "2026-07-17",
                            "2026-08-17", "2026-10-05"})
        EXPECT_FALSE(fixed.contains(day)) << day;
}

TEST_F(CalendarTool, EmptyBranchCalendarAnswersAsTheFixedRules)
{
    {
        ASSERT_TRUE(store::OpenDatabase("CalTest", ws + "/Data/Pelmar.db").ok());
        QSqlQuery q(QSqlDatabase::database("CalTest"));
        ASSERT_TRUE(q.exec("DELETE FROM BizCalendar"));
    }
    store::CloseDatabase("CalTest");
    const auto withCalendar = tool({"holiday", "1990-01-01", "2060-12-31"});
    const auto fixed = tool({"holiday", "--fixed", "1990-01-01", "2060-12-31"});
    ASSERT_EQ(withCalendar.exitCode, 0);
    EXPECT_EQ(withCalendar.out.count('\n'), 25933);
    EXPECT_TRUE(withCalendar.out == fixed.out);
}

TEST_F(CalendarTool, BranchAddsReopensAndRemovesItsOwnDays)
{
    const auto listed = [&](const QString& date) {
        for (const QString& line : tool({"calendar", "list", date.left(4)}).out.split('\n'))
            if (line.startsWith(date))
                return line;
        return QString();
    };
    EXPECT_EQ(listed("2026-03-02"), "2026-03-02\t휴무\t공고\t대체공휴일(삼일절)");

    // A re-opened shipped day is a business day until the branch removes its row.
    ASSERT_EQ(tool({"calendar", "open", "2026-03-02", "정상 영업"}).exitCode, 0);
    EXPECT_EQ(tool({"holiday", "2026-03-02"}).out, "2026-03-02 0\n");
    EXPECT_EQ(listed("2026-03-02"), "2026-03-02\t영업\t지점\t정상 영업");
    ASSERT_EQ(tool({"calendar", "remove", "2026-03-02"}).exitCode, 0);
    EXPECT_EQ(tool({"holiday", "2026-03-02"}).out, "2026-03-02 1\n");

    // A closed day of the branch's own; adding it twice changes nothing.
    const QString before = tool({"calendar", "list", "2026"}).out;
    ASSERT_EQ(tool({"calendar", "add", "2026-03-04", "지점 이전"}).exitCode, 0);
    ASSERT_EQ(tool({"calendar", "add", "2026-03-04", "지점 이전"}).exitCode, 0);
    const QString after = tool({"calendar", "list", "2026"}).out;
    EXPECT_EQ(after.count('\n'), before.count('\n') + 1);
    EXPECT_TRUE(after.contains("2026-03-04\t휴무\t지점\t지점 이전\n"));
    EXPECT_EQ(tool({"holiday", "2026-03-04"}).out, "2026-03-04 1\n");

    // Only the branch's own rows can be removed; impossible dates are refused.
    const auto shipped = tool({"calendar", "remove", "2026-06-03"});
    EXPECT_EQ(shipped.exitCode, 1);
    EXPECT_TRUE(shipped.err.contains("지점이 등록한 날이 아닙니다.")) << shipped.err.toStdString();
    for (const char* bad : {"2026-02-30", "2101-01-01", "1899-12-31", "2026-3-4"}) {
        const auto r = tool({"calendar", "add", bad, "x"});
        EXPECT_EQ(r.exitCode, 1) << bad;
        EXPECT_TRUE(r.err.contains("날짜가 올바르지 않습니다.")) << bad;
    }
    EXPECT_EQ(tool({"calendar", "list"}).exitCode, 2);
}
