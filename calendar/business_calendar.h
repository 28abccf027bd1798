#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace shell {
class Ui;
}

// The business calendar the branch keeps: the fixed holiday rules, the
// closures shipped with the release, the substitute holidays computed for
// the years after them, and the branch's own closed and re-opened days.
namespace calendar {

// Where a day's answer comes from, strongest last.
enum class DaySource { None, Weekend, Fixed, Lunar, Computed, Shipped, Branch };

struct CalendarDay
{
    QDate date;
    bool closed = false;
    DaySource source = DaySource::None;
    QString name;
};

// "고정", "음력", "계산", "공고", "지점" (empty for an ordinary day).
QString SourceText(DaySource source);
// "휴무" or "영업".
QString KindText(bool closed);

// The closures the substitute-holiday rules give for `year` (substitute
// days, the eve of Seollal of a short 12th month, Constitution Day from 2026,
// the year-end closing day), each a weekday that the fixed rules leave open.
QList<CalendarDay> ComputedClosures(int year);

class BusinessCalendar
{
public:
    // An empty calendar: every answer is the fixed rules' answer.
    BusinessCalendar() = default;

    // The rows of BizCalendar, prepared; the engine's text (and an empty
    // calendar) when the table cannot be read.
    platform::Result<> load(QSqlDatabase& db);
    // One row as BizCalendar holds it; `branch` false for a shipped row.
    void addRow(const QDate& date, bool closed, const QString& name, bool branch);
    // Sets out the answer of every day from 1900 to 2100 that is not the
    // fixed rules', so that the holiday test is one look-up before the fixed
    // rules; a year after the shipped ones gets its computed days when it is
    // first asked about. load() prepares; after addRow the first question does.
    void prepare() const;

    bool isHoliday(const QDate& date) const;
    CalendarDay describe(const QDate& date) const;
    // The first business day after `date`.
    QDate nextBusinessDay(const QDate& date) const;
    // Every weekday of `year` that is closed, and every day the branch
    // re-opened, in date order.
    QList<CalendarDay> yearList(int year) const;

    // The last year of shipped closures; 0 when none are loaded. Later years
    // get the computed substitute holidays.
    int lastShippedYear() const { return m_lastShippedYear; }

private:
    struct Row
    {
        bool closed = true;
        QString name;
    };
    const QHash<qint64, QString>& computed(int year) const;
    bool isHolidayByRows(const QDate& date) const;
    void prepareYear(int year) const;

    QHash<qint64, Row> m_branch;
    QHash<qint64, Row> m_shipped;
    int m_lastShippedYear = 0;
    mutable QHash<int, QHash<qint64, QString>> m_computed;
    // One byte per day of 1900..2100: the fixed rules answer, closed, open,
    // or a year not worked out yet. Empty until prepared.
    mutable QByteArray m_days;
};

// The calendar of the open database; none after showing why the branch's
// rows did not read (the fixed rules alone would answer wrongly for them).
std::optional<BusinessCalendar> LoadBusinessCalendar(QSqlDatabase& db, shell::Ui& ui);

// The first business day after `date` by the calendar of the open
// database: what every screen proposes as a transfer date. None as above.
std::optional<QDate> NextBusinessDay(QSqlDatabase db, shell::Ui& ui, const QDate& date);
// The holiday test by the calendar of the open database. None as above.
std::optional<bool> IsBusinessHoliday(QSqlDatabase db, shell::Ui& ui, const QDate& date);

// The branch's own rows. Adding a closed or open day replaces the branch's
// row for that date (the same row twice changes nothing); removing works
// only on the branch's own rows. Messages through `ui`.
bool SetBranchDay(QSqlDatabase db, shell::Ui& ui, const QDate& date, bool closed,
                  const QString& name);
bool RemoveBranchDay(QSqlDatabase db, shell::Ui& ui, const QDate& date);

} // namespace calendar
