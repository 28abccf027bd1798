#include "tests/support/qt_app.h"
#include "widgets/code_screen.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QLineEdit>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

using widgets::ScreenCommands;

// A code screen over a list of names: one field, edited in place.
class NameScreen : public widgets::CodeScreen
{
public:
    explicit NameScreen(QStringList names)
        : CodeScreen("names", "names", false, {}, nullptr), m_names(std::move(names))
    {
        QTableWidget* list = makeGrid({"name"});
        m_field = new QLineEdit(this);
        list->setRowCount(int(m_names.size()));
        for (int i = 0; i < m_names.size(); ++i)
            list->setItem(i, 0, new QTableWidgetItem(m_names[i]));
        wire();
        browseFrom(0);
    }
    QLineEdit* field() const { return m_field; }
    bool isNew() const { return m_isNew; }

    void BtnInsertClick() override
    {
        m_isNew = true;
        m_field->clear();
        setEditing(true);
    }
    void BtnEditClick() override { setEditing(true); }
    void BtnDeleteClick() override {}
    void BtnSaveClick() override {}

private:
    void showRow(int row) override { m_field->setText(row >= 0 ? m_names.value(row) : QString()); }
    void setEditing(bool on) override
    {
        m_field->setEnabled(on);
        grid()->setEnabled(!on);
        setCommandsEditing(on, m_field, m_names.isEmpty());
    }

    QStringList m_names;
    QLineEdit* m_field;
};

} // namespace

TEST(CodeScreen, CancelAndCloseDropTheEditAndShowTheRowAgain)
{
    testing_support::QtApp();
    struct Case
    {
        const char* name;
        bool insert;
        std::function<void(NameScreen&)> leave;
    };
    const Case cases[] = {
        {"cancel command", false,
         [](NameScreen& s) { s.commands()->action(ScreenCommands::Cancel)->trigger(); }},
        {"close while editing", false, [](NameScreen& s) { static_cast<QDialog&>(s).reject(); }},
        {"close while inserting", true, [](NameScreen& s) { static_cast<QDialog&>(s).reject(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NameScreen screen({"kim", "lee"});
        screen.grid()->setCurrentCell(1, 0);
        EXPECT_EQ(screen.field()->text(), "lee");
        if (c.insert)
            screen.commands()->action(ScreenCommands::Insert)->trigger();
        else
            screen.commands()->action(ScreenCommands::Edit)->trigger();
        ASSERT_TRUE(screen.commands()->editing());
        screen.field()->setText("park");
        c.leave(screen);
        EXPECT_FALSE(screen.commands()->editing());
        EXPECT_FALSE(screen.isNew());
        EXPECT_EQ(screen.field()->text(), "lee");
        EXPECT_FALSE(screen.field()->isEnabled());
        EXPECT_TRUE(screen.grid()->isEnabled());
    }
}

TEST(CodeScreen, TheCursorShowsRowsOnlyWhileBrowsing)
{
    testing_support::QtApp();
    NameScreen screen({"kim", "lee", "choi"});
    EXPECT_EQ(screen.field()->text(), "kim");
    screen.grid()->setCurrentCell(2, 0);
    EXPECT_EQ(screen.field()->text(), "choi");
    EXPECT_TRUE(screen.commands()->action(ScreenCommands::Delete)->isEnabled());

    screen.BtnEditClick();
    screen.field()->setText("typed");
    screen.grid()->setCurrentCell(0, 0); // the grid is off, but a program may move it
    EXPECT_EQ(screen.field()->text(), "typed");
    EXPECT_FALSE(screen.commands()->action(ScreenCommands::Delete)->isEnabled());
}
