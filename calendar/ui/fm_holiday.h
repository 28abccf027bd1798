#pragma once

#include "calendar/business_calendar.h"
#include "widgets/code_screen.h"

#include <QList>
#include <QSqlDatabase>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QSpinBox;

namespace calendar {

// "휴일 관리": every non-business weekday of a year with where its answer
// comes from, and the branch's own closed and re-opened days. Adding or
// editing a day writes the branch's row for that date (so a computed or
// announced day is confirmed, re-opened or renamed); only the branch's own
// rows can be deleted.
class FmHoliday : public widgets::CodeScreen
{
    Q_OBJECT
public:
    FmHoliday(QSqlDatabase db, shell::Ui& ui, const QString& title, bool viewOnly,
              QWidget* parent = nullptr);
    ~FmHoliday() override;

    QSpinBox* year() const { return m_year; }
    QDateEdit* dateEdit() const { return m_date; }
    QComboBox* kindEdit() const { return m_kind; }
    QLineEdit* nameEdit() const { return m_name; }
    const QList<CalendarDay>& days() const { return m_days; }

    void BtnInsertClick() override;
    void BtnEditClick() override;
    void BtnDeleteClick() override;
    void BtnSaveClick() override;

private:
    void reload(const QDate& select = {});
    void showRow(int row) override;
    void setEditing(bool on) override;
    const CalendarDay* current() const;

    QSqlDatabase m_db;
    shell::Ui& m_ui;
    QSpinBox* m_year;
    QDateEdit* m_date;
    QComboBox* m_kind;
    QLineEdit* m_name;
    QList<CalendarDay> m_days;
};

} // namespace calendar
