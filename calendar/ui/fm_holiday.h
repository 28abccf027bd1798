#pragma once

#include "calendar/business_calendar.h"

#include <QDialog>
#include <QList>
#include <QSqlDatabase>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace shell {
class Ui;
}
namespace widgets {
class ScreenCommands;
}

namespace calendar {

// "휴일 관리": every non-business weekday of a year with where its answer
// comes from, and the branch's own closed and re-opened days. Adding or
// editing a day writes the branch's row for that date (so a computed or
// announced day is confirmed, re-opened or renamed); only the branch's own
// rows can be deleted.
class FmHoliday : public QDialog
{
    Q_OBJECT
public:
    FmHoliday(QSqlDatabase db, shell::Ui& ui, const QString& title, bool viewOnly,
              QWidget* parent = nullptr);
    ~FmHoliday() override;

    widgets::ScreenCommands* commands() const { return m_commands; }
    QSpinBox* year() const { return m_year; }
    QTableWidget* grid() const { return m_grid; }
    QDateEdit* dateEdit() const { return m_date; }
    QComboBox* kindEdit() const { return m_kind; }
    QLineEdit* nameEdit() const { return m_name; }
    const QList<CalendarDay>& days() const { return m_days; }

    void BtnInsertClick();
    void BtnEditClick();
    void BtnDeleteClick();
    void BtnSaveClick();
    void BtnCancelClick();

protected:
    void reject() override;

private:
    void reload(const QDate& select = {});
    void showRow(int row);
    void setEditing(bool on);
    const CalendarDay* current() const;

    QSqlDatabase m_db;
    shell::Ui& m_ui;
    widgets::ScreenCommands* m_commands;
    QSpinBox* m_year;
    QTableWidget* m_grid;
    QDateEdit* m_date;
    QComboBox* m_kind;
    QLineEdit* m_name;
    QList<CalendarDay> m_days;
    bool m_isNew = false;
};

} // namespace calendar
