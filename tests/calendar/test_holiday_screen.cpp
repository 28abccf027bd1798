#include "calendar/business_calendar.h"
#include "calendar/ui/fm_holiday.h"
#include "shell/codec.h"
#include "store/tdm1.h"
#include "tests/support/qt_app.h"
#include "tests/support/data_fixture.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <gtest/gtest.h>

using calendar::FmHoliday;
using Command = widgets::ScreenCommands::Command;

class HolidayScreen : public testing_support::DataTest
{
protected:
    void SetUp() override
    {
        testing_support::QtApp();
        DataTest::SetUp();
    }
    // The grid row of `date` as its cells read, "" when the day is not listed.
    static QString row(const FmHoliday& s, const QString& date)
    {
        for (int r = 0; r < s.grid()->rowCount(); ++r) {
            if (s.grid()->item(r, 0)->text() != date)
                continue;
            QStringList cells;
            for (int c = 0; c < s.grid()->columnCount(); ++c)
                cells.append(s.grid()->item(r, c)->text());
            return cells.join(' ');
        }
        return {};
    }
    static void select(FmHoliday& s, const QString& date)
    {
        for (int r = 0; r < s.grid()->rowCount(); ++r)
            if (s.grid()->item(r, 0)->text() == date)
                s.grid()->setCurrentCell(r, 0);
        ASSERT_EQ(s.grid()->item(s.grid()->currentRow(), 0)->text(), date);
    }
    bool closed(const QDate& d)
    {
        QSqlDatabase db = dm->db();
        return calendar::LoadBusinessCalendar(db, ui)->isHoliday(d);
    }
};

TEST_F(HolidayScreen, ListsTheYearWithSourcesAndKeepsTheBranchRows)
{
    FmHoliday s(dm->db(), ui, "휴일 관리", false);
    EXPECT_EQ(s.year()->value(), 2024);
    EXPECT_EQ(row(s, "2024-01-01"), "2024-01-01 월 휴무 고정 신정");
    EXPECT_EQ(row(s, "2024-02-09"), "2024-02-09 금 휴무 음력 설날 전날");
    EXPECT_EQ(row(s, "2024-04-10"), "2024-04-10 수 휴무 공고 제22대 국회의원선거");
    EXPECT_EQ(row(s, "2024-03-16"), ""); // weekends are not listed
    // Announced and fixed days cannot be deleted, only re-opened.
    select(s, "2024-04-10");
    EXPECT_FALSE(s.commands()->action(Command::Delete)->isEnabled());
    EXPECT_TRUE(s.commands()->action(Command::Edit)->isEnabled());

    // A later year: the computed days stand out until the branch confirms them.
    s.year()->setValue(2027);
    const QString computed = "2027-02-09 화 휴무 계산 대체공휴일(설날)";
    EXPECT_EQ(row(s, "2027-02-09"), computed);
    select(s, "2027-02-09");
    EXPECT_TRUE(s.grid()->item(s.grid()->currentRow(), 4)->font().italic());
    s.BtnEditClick();
    EXPECT_FALSE(s.dateEdit()->isEnabled());
    s.BtnSaveClick();
    EXPECT_EQ(row(s, "2027-02-09"), "2027-02-09 화 휴무 지점 대체공휴일(설날)");
    EXPECT_FALSE(s.grid()->item(s.grid()->currentRow(), 4)->font().italic());

    // Re-opening a computed day.
    select(s, "2027-08-16");
    s.BtnEditClick();
    s.kindEdit()->setCurrentIndex(1);
    s.nameEdit()->setText("정상 영업");
    s.BtnSaveClick();
    EXPECT_EQ(row(s, "2027-08-16"), "2027-08-16 월 영업 지점 정상 영업");
    EXPECT_FALSE(closed(QDate(2027, 8, 16)));

    // A closed day of the branch's own, in another year: the list follows it.
    s.BtnInsertClick();
    ASSERT_TRUE(s.dateEdit()->isEnabled());
    s.dateEdit()->setDate(QDate(2026, 3, 4));
    s.nameEdit()->setText("지점 이전");
    s.BtnSaveClick();
    EXPECT_FALSE(s.commands()->editing());
    EXPECT_EQ(s.year()->value(), 2026);
    EXPECT_EQ(row(s, "2026-03-04"), "2026-03-04 수 휴무 지점 지점 이전");
    EXPECT_TRUE(closed(QDate(2026, 3, 4)));

    // Deleting the branch's row, asked first; a "no" keeps it.
    select(s, "2026-03-04");
    ASSERT_TRUE(s.commands()->action(Command::Delete)->isEnabled());
    ui.answerConfirm(false);
    s.BtnDeleteClick();
    EXPECT_TRUE(closed(QDate(2026, 3, 4)));
    ui.answerConfirm(true);
    s.BtnDeleteClick();
    EXPECT_EQ(row(s, "2026-03-04"), "");
    EXPECT_FALSE(closed(QDate(2026, 3, 4)));

    const QString log = shell::FromCp949(readFile("202403.log"));
    for (const char* line :
         {"휴일 관리 휴무, 날짜 2027-02-09, 이름 대체공휴일(설날)",
          "휴일 관리 영업, 날짜 2027-08-16, 이름 정상 영업",
          "휴일 관리 휴무, 날짜 2026-03-04, 이름 지점 이전", "휴일 관리 삭제, 날짜 2026-03-04"})
        EXPECT_TRUE(log.contains(QString::fromUtf8(line))) << line;
}

TEST_F(HolidayScreen, ViewOnlyChangesNothing)
{
    FmHoliday s(dm->db(), ui, "휴일 관리 보기", true);
    select(s, "2024-04-10");
    for (Command c : {Command::Insert, Command::Edit, Command::Delete})
        EXPECT_FALSE(s.commands()->action(c)->isEnabled()) << c;
    s.BtnEditClick();
    s.BtnInsertClick();
    EXPECT_FALSE(s.commands()->editing());
    s.year()->setValue(2027);
    EXPECT_EQ(row(s, "2027-02-09"), "2027-02-09 화 휴무 계산 대체공휴일(설날)");
}
