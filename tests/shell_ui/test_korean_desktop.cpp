// Every screen speaks Korean whatever the desktop's locale: the tests run
// under LC_ALL=C.UTF-8, as a desktop set to English or "C" would.

#include "shell/ui/application.h"
#include "tests/support/qt_app.h"

#include <QAbstractItemModel>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

TEST(KoreanDesktop, DatePickerAndQtTextsAreKoreanOnAnEnglishDesktop)
{
    QApplication& app = testing_support::QtApp();
    ASSERT_NE(QLocale::system().language(), QLocale::Korean);
    ASSERT_TRUE(shell::ui::UseKorean(app));

    QDateEdit edit;
    edit.setCalendarPopup(true);
    edit.setDate(QDate(2024, 12, 20));
    QCalendarWidget* calendar = edit.calendarWidget();
    ASSERT_NE(calendar, nullptr);
    calendar->setSelectedDate(QDate(2024, 12, 20));
    auto* month = calendar->findChild<QToolButton*>("qt_calendar_monthbutton");
    ASSERT_NE(month, nullptr);
    EXPECT_EQ(month->text(), QStringLiteral("12월"));
    // The first row of the month's table carries the weekday names, from Sunday as in Korea.
    auto* view = calendar->findChild<QTableView*>("qt_calendar_calendarview");
    ASSERT_NE(view, nullptr);
    QStringList days;
    for (int column = 0; column < view->model()->columnCount(); ++column)
        if (const QString day = view->model()->index(0, column).data().toString(); !day.isEmpty())
            days.append(day);
    EXPECT_EQ(days.join(' '), QStringLiteral("일 월 화 수 목 금 토"));

    // Qt's own texts: the folder chooser's button and the Yes/No of a question.
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Choose"), QStringLiteral("선택(&C)"));
    EXPECT_EQ(QCoreApplication::translate("QFileSystemModel", "Name"), QStringLiteral("이름"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("예(&Y)"));
}

} // namespace
