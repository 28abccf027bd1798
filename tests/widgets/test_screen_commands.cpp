#include "tests/support/qt_app.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using widgets::ScreenCommands;

TEST(ScreenCommands, EnterMovesToTheNextFieldExceptInGridsAndTexts)
{
    testing_support::QtApp();
    QDialog screen;
    ScreenCommands commands(&screen);
    auto* layout = new QVBoxLayout(&screen);
    auto* first = new QLineEdit(&screen);
    auto* second = new QLineEdit(&screen);
    auto* memo = new QPlainTextEdit(&screen);
    auto* grid = new QTableWidget(2, 2, &screen);
    for (QWidget* w : {static_cast<QWidget*>(first), static_cast<QWidget*>(second),
                       static_cast<QWidget*>(memo), static_cast<QWidget*>(grid)})
        layout->addWidget(w);
    screen.show();
    QApplication::setActiveWindow(&screen);
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_TRUE(second->hasFocus());
    QTest::keyClick(second, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(first->hasFocus());
    EXPECT_TRUE(screen.isVisible()); // no default button took the key

    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_Return);
    EXPECT_TRUE(memo->hasFocus());
    EXPECT_EQ(memo->toPlainText(), "\n");
}

TEST(ScreenCommands, StatesEnableTheirCommands)
{
    testing_support::QtApp();
    QWidget screen;
    ScreenCommands c(&screen);
    using C = ScreenCommands;
    const auto enabled = [&] {
        QString s;
        for (int i = 0; i < C::CommandCount; ++i)
            s += c.action(C::Command(i))->isEnabled() ? '1' : '0';
        return s;
    };
    c.setBrowse(false);
    EXPECT_EQ(enabled(), "111001");
    c.setBrowse(true);
    EXPECT_EQ(enabled(), "100001");
    c.setEditing();
    EXPECT_EQ(enabled(), "000111");
    c.setBrowse(false);
    c.setViewOnly(true);
    EXPECT_EQ(enabled(), "000001");
    EXPECT_EQ(c.action(C::Save)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(c.action(C::Cancel)->shortcut(), QKeySequence(Qt::Key_Escape));
}
