#pragma once

#include "codes/institution.h"
#include "transfer/batches.h"
#include "transfer/lines.h"
#include "transfer/ui/row_table_model.h"
#include "transfer/ui/screen_helpers.h"
#include "widgets/child_screen.h"
#include "widgets/sort_choices.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QWidget>
#include <optional>

namespace store {
class TDM1;
}
namespace widgets {
class ScreenCommands;
}

class QAbstractItemModel;
class QAction;
class QActionGroup;
class QComboBox;
class QLineEdit;
class QTableView;

namespace transfer {

// What the batch screen (TfmApt1) and the group screen (TfmGroupApt1)
// share: a toolbar of the six shared commands and the screen's own, four
// fields over a grid of heads (batches or groups), browsing and editing one
// head, and the commands that act on the current or selected heads. The
// screen itself holds its rows and its core operations behind the hooks.
class HeadScreen : public QWidget, public widgets::ChildScreen
{
    Q_OBJECT
public:
    ~HeadScreen() override;

    bool CloseQuery() override;
    void CancelEdits() override;

    widgets::ScreenCommands* commands() const { return m_commands; }
    QTableView* grid() const { return m_grid; }
    QComboBox* institution() const { return m_institution; }
    QLineEdit* password() const { return m_password; }
    QLineEdit* remark() const { return m_remark; }
    bool editing() const { return m_editing; }
    bool saveFailed() const { return m_saveFailed; }

    void BtnInsertClick();
    void BtnEditClick();
    void BtnDeleteClick();
    void BtnSaveClick();
    void BtnCancelClick();
    void BtnLinesClick();
    void BtnFindClick();
    void GridDblClick();
    void BtnCloseClick();

protected:
    // What the shared commands need to know of a head in the grid.
    struct Head
    {
        int id = 0;
        bool editable = false;
        QString institution; // the code it names
    };

    HeadScreen(store::TDM1& dm, shell::Ui& ui, const QString& objectName, const QString& caption,
               QWidget* parent);

    // The grid over `model` with its column widths, remembered under
    // `columnsKey`; made first, then the fields in their tab order.
    void makeGrid(QAbstractItemModel* model, const QList<int>& widths, const QString& columnsKey);
    QComboBox* makeInstitutionField();
    QLineEdit* makePasswordField();
    QLineEdit* makeTextField(int byteLimit);
    // The four fields in two rows of label and field over the grid, the
    // toolbar (addExtras adds the screen's own commands), then the first
    // rows. Called once by the screen's constructor, after the fields.
    void build(const QList<QPair<QString, QWidget*>>& fields);
    // The commands both screens have, placed where addExtras calls them.
    QAction* addLinesCommand();
    QAction* addFindCommand();
    QAction* addSortCommand(const QList<QPair<QString, int>>& choices);
    QAction* sortChoice(int order) const;
    void sortBy(int order);
    int order() const { return m_sorting.order(); }

    // The institution, password and remark fields show `head`, or stay empty
    // without one; storing, `head` takes what they hold.
    void showHeadFields(const TransferHead* head);
    void takeHeadFields(TransferHead& head) const;

    void reload(int selectId = 0);
    void updateCommands();
    // After a copy: the new head, or the nearest row when there is none.
    void showCopy(std::optional<int> id);
    int currentRow() const;
    bool isNew() const { return m_isNew; }

    // The screen's hooks.
    virtual void addExtras() = 0;
    virtual int rowCount() const = 0;
    virtual Head headAt(int row) const = 0;
    virtual void loadRows() = 0;        // in order()
    virtual void showCurrent() = 0;     // the current head, or empty fields
    virtual bool takeNew() = 0;         // a new head to enter; false when none may be made
    virtual void takeCurrent() = 0;     // the current head is edited
    virtual void showEdited() = 0;      // the head being entered
    virtual QWidget* storeEdited() = 0; // nullptr once saved, else the field at fault
    virtual int editedId() const = 0;   // the head just saved
    virtual bool deleteHeads(const QList<int>& ids) = 0;
    virtual bool toggleState(int id) = 0;
    virtual void openLines(int row) = 0; // the lines of the head in `row`
    virtual void openFind() = 0;
    // The screen's own commands in browsing (the shared ones are done).
    virtual void enableExtras(bool empty);
    virtual void commandsUpdated() {}
    virtual void focusNew();
    virtual void beforeReload() {}

    store::TDM1& m_dm;
    shell::Ui& m_ui;
    QList<codes::Institution> m_institutions;
    widgets::ScreenCommands* m_commands = nullptr;
    QTableView* m_grid = nullptr;
    QComboBox* m_institution = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_remark = nullptr;
    QList<QAction*> m_extraActions; // the screen's own commands
    QAction* m_lines = nullptr;
    QAction* m_find = nullptr;
    QAction* m_sort = nullptr;

private:
    void setEditing(bool on);

    QString m_columnsKey;
    QList<QWidget*> m_fields;
    widgets::SortChoices m_sorting;
    bool m_editing = false;
    bool m_isNew = false;
    bool m_saveFailed = false;
};

// A head screen over its rows (TransferBatch or TransferGroup): the grid's
// model, the head being entered or edited, and the hooks that only read
// them. The screen shows a row in its fields and makes a new one.
template <typename Row> class HeadRowsScreen : public HeadScreen
{
public:
    // The heads in the grid, in its order.
    const QList<Row>& rows() const { return m_model->rows(); }

protected:
    using HeadScreen::HeadScreen;
    using Column = typename RowTableModel<Row>::Column;

    // The grid over `columns` (see makeGrid); among them the columns every
    // head has: its institution code, its line count and their sum.
    void makeRowsGrid(QList<Column> columns, const QList<int>& widths, const QString& columnsKey)
    {
        m_model = new RowTableModel<Row>(std::move(columns), this);
        makeGrid(m_model, widths, columnsKey);
    }
    static Column codeColumn()
    {
        return {QStringLiteral("기관코드"), [](const Row& r) { return r.GiganID10; }};
    }
    static Column countColumn()
    {
        return {QStringLiteral("의뢰건수"), [](const Row& r) { return FormatAmount(r.TotNo); },
                true};
    }
    static Column amountColumn()
    {
        return {QStringLiteral("의뢰금액"), [](const Row& r) { return FormatAmount(r.TotMoney); },
                true};
    }

    const Row* current() const { return m_model->rowAt(currentRow()); }
    // The fields show `row`, or stay empty without one.
    virtual void showRow(const Row* row) = 0;
    // The defaults of a head to enter; nullopt (after the message) when
    // none may be made.
    virtual std::optional<Row> newRow() = 0;

    int rowCount() const override { return int(rows().size()); }
    Head headAt(int row) const override
    {
        const Row& r = rows()[row];
        return {r.AptID, r.editable(), r.GiganID10};
    }
    void showCurrent() override { showRow(current()); }
    bool takeNew() override
    {
        const std::optional<Row> row = newRow();
        if (row)
            m_row = *row;
        return row.has_value();
    }
    void takeCurrent() override { m_row = *current(); }
    void showEdited() override { showRow(&m_row); }
    int editedId() const override { return m_row.AptID; }

    RowTableModel<Row>* m_model = nullptr;
    Row m_row; // the head being entered or edited
};

} // namespace transfer
