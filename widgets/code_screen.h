#pragma once

#include <QAbstractItemView>
#include <QDialog>
#include <QList>
#include <QStringList>

class QTableWidget;

namespace widgets {

class ScreenCommands;

// A read-only grid of code rows: whole rows are selected, nothing is edited
// in place, no row numbers, the last column takes the rest of the width.
QTableWidget* MakeCodeGrid(QWidget* parent, const QStringList& headings,
                           QAbstractItemView::SelectionMode mode);

// The base of the code screens (bank codes, institutions, holidays): the
// command toolbar, one grid of rows and the fields of the current row. The
// six commands drive a browse / edit cycle; a screen says how a row is shown,
// what editing enables and what the commands do to its rows.
class CodeScreen : public QDialog
{
    Q_OBJECT
public:
    ~CodeScreen() override;

    ScreenCommands* commands() const { return m_commands; }
    QTableWidget* grid() const { return m_grid; }

    virtual void BtnInsertClick() = 0;
    virtual void BtnEditClick() = 0;
    virtual void BtnDeleteClick() = 0;
    virtual void BtnSaveClick() = 0;
    // Drops a pending edit and shows the current row again.
    void BtnCancelClick();

protected:
    // The toolbar (with `hints`, see ScreenCommands) is the screen's first
    // child, so that it comes first in the tab order.
    CodeScreen(const QString& title, const QString& objectName, bool viewOnly,
               const QStringList& hints, QWidget* parent);

    // Makes the grid (MakeCodeGrid) with the commands as its context menu;
    // called where the grid belongs in the tab order.
    QTableWidget*
    makeGrid(const QStringList& headings,
             QAbstractItemView::SelectionMode mode = QAbstractItemView::SingleSelection);
    // Binds the commands and shows each row the cursor reaches while not
    // editing; the last step of a screen's constructor.
    void wire();

    // Whether command `c` may run now.
    bool allowed(int command) const;
    // Row `row` of a screen's rows, or null.
    template <typename Row> static const Row* rowAt(const QList<Row>& rows, int row)
    {
        return row >= 0 && row < rows.size() ? &rows[row] : nullptr;
    }
    // The same, or a blank row that clears the fields (showRow(-1)).
    template <typename Row> static const Row& rowOrBlank(const QList<Row>& rows, int row)
    {
        static const Row blank;
        const Row* r = rowAt(rows, row);
        return r ? *r : blank;
    }
    // The row under the cursor, or null.
    template <typename Row> const Row* currentOf(const QList<Row>& rows) const
    {
        return rowAt(rows, currentRow());
    }
    int currentRow() const;
    // After a reload: puts the cursor on `row` and browses.
    void browseFrom(int row);
    // The base's part of setEditing: the grid is locked while editing; on,
    // focus goes to `first`; off, the commands follow whether there are rows
    // and the grid takes the focus.
    void setCommandsEditing(bool on, QWidget* first, bool empty);

    virtual void showRow(int row) = 0;
    virtual void setEditing(bool on) = 0;

    // Closing discards a pending edit.
    void reject() override;

    bool m_isNew = false;

private:
    ScreenCommands* m_commands;
    QTableWidget* m_grid = nullptr;
};

} // namespace widgets
