// Every screen speaks Korean whatever the desktop's locale: the tests run
// under LC_ALL=C.UTF-8, as a desktop set to English or "C" would.

#include "shell/ui/application.h"
#include "shell/ui/file_dialog.h"
#include "tests/support/qt_app.h"

#include <QAbstractItemModel>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDeadlineTimer>
#include <QFile>
#include <QHeaderView>
#include <QMap>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>
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

// The backup and restore choosers list a folder's entries with their type
// and date: Qt takes both from the desktop's language ("Folder",
// "6/1/24 10:30 AM"); the programs show them in Korean and as yyyy-MM-dd.
TEST(KoreanDesktop, FileChooserListsKoreanTypesAndIsoDates)
{
    QApplication& app = testing_support::QtApp();
    ASSERT_TRUE(shell::ui::UseKorean(app));
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("Data"));
    QFile archive(dir.filePath("FA2406011030.zip"));
    ASSERT_TRUE(archive.open(QIODevice::WriteOnly));
    archive.write("PK");
    ASSERT_TRUE(archive.flush());
    ASSERT_TRUE(archive.setFileTime(QDateTime(QDate(2024, 6, 1), QTime(10, 30)),
                                    QFileDevice::FileModificationTime));
    archive.close();

    QFileDialog dialog(nullptr, QStringLiteral("백업 파일 선택"), dir.path());
    shell::ui::MakeKorean(dialog);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(view, nullptr);
    const QAbstractItemModel* model = view->model();
    const auto cell = [&](int row, int column) {
        return model->index(row, column, view->rootIndex()).data().toString();
    };
    // The listing is read in the background; wait until both rows carry a date.
    const auto listed = [&] {
        if (model->rowCount(view->rootIndex()) != 2)
            return false;
        return !cell(0, 3).isEmpty() && !cell(1, 3).isEmpty();
    };
    for (QDeadlineTimer deadline(20000); !listed() && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(listed());
    QMap<QString, QString> types;
    for (int row = 0; row < 2; ++row)
        types.insert(cell(row, 0), cell(row, 2));
    EXPECT_EQ(types.value("Data"), "폴더");
    // A known type is named by its description in Korean ("ZIP 압축 파일").
    EXPECT_TRUE(types.value("FA2406011030.zip").endsWith("파일"))
        << types.value("FA2406011030.zip").toStdString();
    for (int row = 0; row < 2; ++row) {
        if (cell(row, 0) == "FA2406011030.zip")
            EXPECT_EQ(cell(row, 3), "2024-06-01 10:30");
        else
            EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d$")
                            .match(cell(row, 3))
                            .hasMatch())
                << cell(row, 3).toStdString();
    }
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("형식"));
    // The whole date fits its column.
    EXPECT_GE(view->header()->sectionSize(3),
              view->fontMetrics().horizontalAdvance(QStringLiteral("2024-06-01 10:30")));
}

} // namespace
