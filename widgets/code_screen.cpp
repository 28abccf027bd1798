#include "widgets/code_screen.h"

#include "widgets/screen_commands.h"

#include <QAction>
#include <QHeaderView>
#include <QTableWidget>

namespace widgets {

QTableWidget* MakeCodeGrid(QWidget* parent, const QStringList& headings,
                           QAbstractItemView::SelectionMode mode)
{
    auto* grid = new QTableWidget(0, int(headings.size()), parent);
    grid->setHorizontalHeaderLabels(headings);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(mode);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

CodeScreen::CodeScreen(const QString& title, const QString& objectName, bool viewOnly,
                       const QStringList& hints, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    setObjectName(objectName);
    m_commands = new ScreenCommands(this, hints);
    m_commands->setViewOnly(viewOnly);
}

CodeScreen::~CodeScreen() = default;

QTableWidget* CodeScreen::makeGrid(const QStringList& headings,
                                   QAbstractItemView::SelectionMode mode)
{
    m_grid = MakeCodeGrid(this, headings, mode);
    m_commands->attachContextMenu(m_grid);
    return m_grid;
}

void CodeScreen::wire()
{
    m_commands->setHandlers({[this] { BtnInsertClick(); }, [this] { BtnEditClick(); },
                             [this] { BtnDeleteClick(); }, [this] { BtnSaveClick(); },
                             [this] { BtnCancelClick(); }, [this] { reject(); }});
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!m_commands->editing())
            showRow(row);
    });
}

bool CodeScreen::allowed(int command) const
{
    return m_commands->action(ScreenCommands::Command(command))->isEnabled();
}

int CodeScreen::currentRow() const
{
    return m_grid->currentRow();
}

void CodeScreen::browseFrom(int row)
{
    m_grid->setCurrentCell(row, 0);
    showRow(row);
    setEditing(false);
}

void CodeScreen::setCommandsEditing(bool on, QWidget* first, bool empty)
{
    m_grid->setEnabled(!on);
    if (on) {
        m_commands->setEditing();
        first->setFocus();
    } else {
        m_commands->setBrowse(empty);
        m_grid->setFocus();
    }
}

void CodeScreen::BtnCancelClick()
{
    if (!m_commands->editing())
        return;
    m_isNew = false;
    showRow(m_grid->currentRow());
    setEditing(false);
}

void CodeScreen::reject()
{
    BtnCancelClick();
    QDialog::reject();
}

} // namespace widgets
