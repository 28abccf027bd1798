#include "calendar/business_calendar.h"

#include "calendar/holidays.h"
#include "calendar/lunar_calendar.h"
#include "shell/log.h"
#include "shell/ui.h"
#include "store/database.h"
#include "store/shipped_closures.h"
#include "store/transaction_guard.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <map>
#include <utility>

namespace calendar {
namespace {

// The span of the prepared day table, the years the branch calendar accepts.
const qint64 kFirstDay = QDate(1900, 1, 1).toJulianDay();
const qint64 kLastDay = QDate(2100, 12, 31).toJulianDay();
constexpr char kNoAnswer = 0;
constexpr char kClosedDay = 1;
constexpr char kOpenDay = 2;
constexpr char kYearNotComputed = 3; // a later year whose substitutes are not worked out yet

bool IsWeekend(const QDate& date)
{
    return date.dayOfWeek() >= Qt::Saturday;
}

// Names of the fixed solar days, for the list; the two without a public
// name are the bank's own.
QString FixedName(const QDate& date)
{
    static const QHash<int, QString> names = {
        {101, "신정"},   {301, "삼일절"},  {501, "근로자의 날"}, {505, "어린이날"}, {606, "현충일"},
        {815, "광복절"}, {1003, "개천절"}, {1009, "한글날"},     {1225, "성탄절"},
    };
    return names.value(date.month() * 100 + date.day(), QStringLiteral("은행 휴무일"));
}

QString LunarName(const LunarDate& l)
{
    if (l.month == 12)
        return QStringLiteral("설날 전날");
    if (l.month == 1)
        return l.day == 1 ? QStringLiteral("설날") : QStringLiteral("설날 다음 날");
    if (l.month == 4)
        return QStringLiteral("부처님오신날");
    if (l.day == 14)
        return QStringLiteral("추석 전날");
    return l.day == 15 ? QStringLiteral("추석") : QStringLiteral("추석 다음 날");
}

bool IsFixedSolar(const QDate& date)
{
    const QString mmdd = date.toString(QStringLiteral("MMdd"));
    const QByteArray key = mmdd.toLatin1();
    return std::find(SolarHolidays.begin(), SolarHolidays.end(),
                     std::string_view(key.constData(), size_t(key.size()))) != SolarHolidays.end();
}

// The public holidays of the regulations and their substitute rules.
enum class Rule {
    None,    // no substitute day
    Block,   // Seollal, Chuseok: Sunday or another holiday, after the three days
    Weekend, // Saturday, Sunday or another holiday
};

struct PublicDay
{
    QString name;
    Rule rule = Rule::None;
    QDate blockEnd; // last of the three days for a block, else the day itself
};

// Substitute rules by the year they took effect: Seollal, Chuseok and
// Children's Day from 2014; Independence Movement Day, Liberation Day,
// National Foundation Day and Hangul Day from Liberation Day 2021; Buddha's
// Birthday and Christmas from May 2023. Constitution Day (again a holiday
// from 2026) has none.
Rule SolarRule(int mmdd, const QDate& date)
{
    const int year = date.year();
    switch (mmdd) {
    case 505:
        return year >= 2014 ? Rule::Weekend : Rule::None;
    case 301:
        return year >= 2022 ? Rule::Weekend : Rule::None;
    case 815:
    case 1003:
    case 1009:
        return year >= 2021 ? Rule::Weekend : Rule::None;
    case 1225:
        return year >= 2023 ? Rule::Weekend : Rule::None;
    default:
        return Rule::None;
    }
}

} // namespace

QString SourceText(DaySource source)
{
    // An ordinary day (None) has no text.
    static const std::pair<DaySource, QString> texts[] = {
        {DaySource::Weekend, QStringLiteral("주말")}, {DaySource::Fixed, QStringLiteral("고정")},
        {DaySource::Lunar, QStringLiteral("음력")},   {DaySource::Computed, QStringLiteral("계산")},
        {DaySource::Shipped, store::kShippedSource},  {DaySource::Branch, store::kBranchSource},
    };
    for (const auto& [s, text] : texts)
        if (s == source)
            return text;
    return {};
}

QString KindText(bool closed)
{
    return closed ? store::kClosedKind : store::kOpenKind;
}

QList<CalendarDay> ComputedClosures(int year)
{
    // Every public holiday of the year, several on one date when they meet.
    std::map<qint64, QList<PublicDay>> days;
    const auto add = [&](const QDate& date, const QString& name, Rule rule, QDate blockEnd) {
        days[date.toJulianDay()].append({name, rule, blockEnd.isValid() ? blockEnd : date});
    };
    static const std::pair<int, const char*> solar[] = {
        {101, "신정"},   {301, "삼일절"},  {505, "어린이날"}, {606, "현충일"},
        {815, "광복절"}, {1003, "개천절"}, {1009, "한글날"},  {1225, "성탄절"}};
    for (const auto& [mmdd, name] : solar) {
        const QDate date(year, mmdd / 100, mmdd % 100);
        add(date, QString::fromUtf8(name), SolarRule(mmdd, date), {});
    }
    if (year >= 2026)
        add(QDate(year, 7, 17), QStringLiteral("제헌절"), Rule::None, {});

    QDate seollal, chuseok;
    // Only the windows where lunar 1/1, 4/8 and 8/15 can fall are looked at.
    QList<QDate> window;
    for (const auto& [from, to] : {std::pair{QDate(year, 1, 20), QDate(year, 2, 21)},
                                   std::pair{QDate(year, 4, 20), QDate(year, 6, 1)},
                                   std::pair{QDate(year, 9, 5), QDate(year, 10, 10)}})
        for (QDate d = from; d <= to; d = d.addDays(1))
            window.append(d);
    for (const QDate& d : window) {
        const LunarDate l = SolarToLunar(d.year(), d.month(), d.day());
        if (l.leap)
            continue;
        if (l.month == 1 && l.day == 1)
            seollal = d;
        else if (l.month == 8 && l.day == 15)
            chuseok = d;
        else if (l.month == 4 && l.day == 8)
            add(d, QStringLiteral("부처님오신날"), year >= 2023 ? Rule::Weekend : Rule::None, {});
    }
    const Rule blockRule = year >= 2014 ? Rule::Block : Rule::None;
    for (const auto& [day, label] : {std::pair{seollal, "설날"}, std::pair{chuseok, "추석"}}) {
        if (!day.isValid())
            continue;
        const QString name = QString::fromUtf8(label);
        add(day.addDays(-1), name + " 전날", blockRule, day.addDays(1));
        add(day, name, blockRule, day.addDays(1));
        add(day.addDays(1), name + " 다음 날", blockRule, day.addDays(1));
    }

    // What each date owes: every holiday with a rule that lost its day to a
    // Sunday, to a Saturday (the weekend rule), or to another holiday on the
    // same date (one of them keeps a weekday).
    struct Owed
    {
        QDate after;
        QString name;
    };
    QList<Owed> owed;
    for (const auto& [jd, list] : days) {
        const QDate date = QDate::fromJulianDay(jd);
        QList<const PublicDay*> eligible;
        for (const PublicDay& p : list)
            if (p.rule != Rule::None)
                eligible.append(&p);
        // Blocks first: their substitute comes after the three days.
        std::stable_sort(eligible.begin(), eligible.end(),
                         [](const PublicDay* a, const PublicDay* b) {
                             return a->rule == Rule::Block && b->rule != Rule::Block;
                         });
        const qsizetype weekendRule =
            std::count_if(eligible.begin(), eligible.end(),
                          [](const PublicDay* p) { return p->rule == Rule::Weekend; });
        qsizetype count = 0;
        if (date.dayOfWeek() == Qt::Sunday)
            count = eligible.size();
        else if (date.dayOfWeek() == Qt::Saturday)
            count = weekendRule + std::min(eligible.size() - weekendRule, list.size() - 1);
        else
            count = std::min(eligible.size(), list.size() - 1);
        // On a Saturday the weekend-rule holidays are the ones that lost.
        if (date.dayOfWeek() == Qt::Saturday)
            std::stable_sort(eligible.begin(), eligible.end(),
                             [](const PublicDay* a, const PublicDay* b) {
                                 return a->rule == Rule::Weekend && b->rule != Rule::Weekend;
                             });
        for (qsizetype i = 0; i < count; ++i)
            owed.append({eligible[i]->blockEnd,
                         "대체공휴일(" + eligible[i]->name.section(' ', 0, 0) + ")"});
    }
    std::stable_sort(owed.begin(), owed.end(),
                     [](const Owed& a, const Owed& b) { return a.after < b.after; });

    QList<CalendarDay> out;
    QHash<qint64, bool> taken;
    const auto isOff = [&](const QDate& d) {
        return IsWeekend(d) || days.count(d.toJulianDay()) > 0 || taken.contains(d.toJulianDay()) ||
               IsHoliday(d);
    };
    for (const Owed& o : owed) {
        QDate d = o.after.addDays(1);
        while (isOff(d))
            d = d.addDays(1);
        taken.insert(d.toJulianDay(), true);
        out.append({d, true, DaySource::Computed, o.name});
    }
    // Closures that the fixed rules miss.
    if (seollal.isValid() && !IsHoliday(seollal.addDays(-1)))
        out.append({seollal.addDays(-1), true, DaySource::Computed, QStringLiteral("설날 전날")});
    if (year >= 2026 && !IsHoliday(QDate(year, 7, 17)))
        out.append({QDate(year, 7, 17), true, DaySource::Computed, QStringLiteral("제헌절")});
    if (!IsHoliday(QDate(year, 12, 31)))
        out.append({QDate(year, 12, 31), true, DaySource::Computed, QStringLiteral("연말 휴무")});

    // Only weekdays the fixed rules leave open.
    out.removeIf(
        [year](const CalendarDay& c) { return c.date.year() != year || IsHoliday(c.date); });
    std::sort(out.begin(), out.end(),
              [](const CalendarDay& a, const CalendarDay& b) { return a.date < b.date; });
    return out;
}

platform::Result<> BusinessCalendar::load(QSqlDatabase& db)
{
    *this = BusinessCalendar();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec("SELECT CalDate, Kind, Name, Source FROM BizCalendar"))
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    while (q.next()) {
        const QDate date = QDate::fromString(q.value(0).toString(), Qt::ISODate);
        if (!date.isValid())
            continue;
        addRow(date, q.value(1).toString() != store::kOpenKind, q.value(2).toString(),
               q.value(3).toString() == store::kBranchSource);
    }
    if (q.lastError().isValid())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    prepare();
    return {};
}

void BusinessCalendar::addRow(const QDate& date, bool closed, const QString& name, bool branch)
{
    (branch ? m_branch : m_shipped).insert(date.toJulianDay(), {closed, name});
    if (!branch)
        m_lastShippedYear = std::max(m_lastShippedYear, date.year());
    m_computed.clear();
    m_days.clear();
}

void BusinessCalendar::prepare() const
{
    m_days.clear();
    if (m_branch.isEmpty() && m_shipped.isEmpty())
        return;
    QByteArray days(kLastDay - kFirstDay + 1, kNoAnswer);
    // The years after the shipped ones are worked out when first asked:
    // a process asks about a few years, not about every year to 2100.
    if (m_lastShippedYear > 0 && m_lastShippedYear < 2100) {
        const qint64 first = std::max(QDate(m_lastShippedYear + 1, 1, 1).toJulianDay(), kFirstDay);
        std::fill(days.begin() + (first - kFirstDay), days.end(), kYearNotComputed);
    }
    const auto set = [&](qint64 jd, bool closed) {
        if (jd >= kFirstDay && jd <= kLastDay)
            days[jd - kFirstDay] = closed ? kClosedDay : kOpenDay;
    };
    // The branch's row wins over the shipped one.
    for (auto it = m_shipped.cbegin(); it != m_shipped.cend(); ++it)
        set(it.key(), it->closed);
    for (auto it = m_branch.cbegin(); it != m_branch.cend(); ++it)
        set(it.key(), it->closed);
    m_days = days;
}

void BusinessCalendar::prepareYear(int year) const
{
    const qint64 from = QDate(year, 1, 1).toJulianDay() - kFirstDay;
    const qint64 to = QDate(year, 12, 31).toJulianDay() - kFirstDay;
    for (qint64 i = from; i <= to; ++i)
        if (m_days.at(i) == kYearNotComputed)
            m_days[i] = kNoAnswer;
    // A row of either source keeps its answer over a computed day.
    const QHash<qint64, QString>& c = computed(year);
    for (auto it = c.cbegin(); it != c.cend(); ++it)
        if (m_days.at(it.key() - kFirstDay) == kNoAnswer)
            m_days[it.key() - kFirstDay] = kClosedDay;
}

const QHash<qint64, QString>& BusinessCalendar::computed(int year) const
{
    auto it = m_computed.find(year);
    if (it == m_computed.end()) {
        QHash<qint64, QString> days;
        for (const CalendarDay& c : ComputedClosures(year))
            days.insert(c.date.toJulianDay(), c.name);
        it = m_computed.insert(year, days);
    }
    return *it;
}

bool BusinessCalendar::isHoliday(const QDate& date) const
{
    if (!date.isValid())
        return false;
    if (m_branch.isEmpty() && m_shipped.isEmpty())
        return IsHoliday(date);
    if (m_days.isEmpty())
        prepare();
    const qint64 jd = date.toJulianDay();
    if (jd >= kFirstDay && jd <= kLastDay) {
        char answer = m_days.at(jd - kFirstDay);
        if (answer == kYearNotComputed) {
            prepareYear(date.year());
            answer = m_days.at(jd - kFirstDay);
        }
        return answer == kNoAnswer ? IsHoliday(date) : answer == kClosedDay;
    }
    return isHolidayByRows(date);
}

bool BusinessCalendar::isHolidayByRows(const QDate& date) const
{
    const qint64 jd = date.toJulianDay();
    if (!m_branch.isEmpty()) {
        const auto b = m_branch.constFind(jd);
        if (b != m_branch.constEnd())
            return b->closed;
    }
    if (!m_shipped.isEmpty()) {
        const auto s = m_shipped.constFind(jd);
        if (s != m_shipped.constEnd())
            return s->closed;
        if (date.year() > m_lastShippedYear && computed(date.year()).contains(jd))
            return true;
    }
    return IsHoliday(date);
}

CalendarDay BusinessCalendar::describe(const QDate& date) const
{
    const qint64 jd = date.toJulianDay();
    if (const auto b = m_branch.constFind(jd); b != m_branch.constEnd())
        return {date, b->closed, DaySource::Branch, b->name};
    if (const auto s = m_shipped.constFind(jd); s != m_shipped.constEnd())
        return {date, s->closed, DaySource::Shipped, s->name};
    if (m_lastShippedYear > 0 && date.year() > m_lastShippedYear) {
        const QHash<qint64, QString>& c = computed(date.year());
        if (const auto i = c.constFind(jd); i != c.constEnd())
            return {date, true, DaySource::Computed, *i};
    }
    if (!IsHoliday(date))
        return {date, false, DaySource::None, {}};
    if (IsWeekend(date))
        return {date, true, DaySource::Weekend, {}};
    if (IsFixedSolar(date))
        return {date, true, DaySource::Fixed, FixedName(date)};
    return {date, true, DaySource::Lunar,
            LunarName(SolarToLunar(date.year(), date.month(), date.day()))};
}

QDate BusinessCalendar::nextBusinessDay(const QDate& date) const
{
    QDate d = date.addDays(1);
    // A branch could mark every day closed; a year of closures is the end.
    for (int i = 0; i < 366 && isHoliday(d); ++i)
        d = d.addDays(1);
    return d;
}

QList<CalendarDay> BusinessCalendar::yearList(int year) const
{
    QList<CalendarDay> out;
    for (QDate d(year, 1, 1); d.isValid() && d.year() == year; d = d.addDays(1)) {
        const CalendarDay day = describe(d);
        const bool reopened = day.source == DaySource::Branch && !day.closed;
        if (reopened || (day.closed && day.source != DaySource::Weekend))
            out.append(day);
    }
    return out;
}

std::optional<BusinessCalendar> LoadBusinessCalendar(QSqlDatabase& db, shell::Ui& ui)
{
    BusinessCalendar calendar;
    if (const platform::Result<> loaded = calendar.load(db); !loaded) {
        ui.ShowError(loaded.error());
        return std::nullopt;
    }
    return calendar;
}

std::optional<QDate> NextBusinessDay(QSqlDatabase db, shell::Ui& ui, const QDate& date)
{
    const std::optional<BusinessCalendar> calendar = LoadBusinessCalendar(db, ui);
    if (!calendar)
        return std::nullopt;
    return calendar->nextBusinessDay(date);
}

std::optional<bool> IsBusinessHoliday(QSqlDatabase db, shell::Ui& ui, const QDate& date)
{
    const std::optional<BusinessCalendar> calendar = LoadBusinessCalendar(db, ui);
    if (!calendar)
        return std::nullopt;
    return calendar->isHoliday(date);
}

namespace {

bool ValidDay(shell::Ui& ui, const QDate& date)
{
    if (date.isValid() && date.year() >= 1900 && date.year() <= 2100)
        return true;
    ui.ShowError(QStringLiteral("날짜가 올바르지 않습니다. (1900-01-01 ~ 2100-12-31)"));
    return false;
}

} // namespace

bool SetBranchDay(QSqlDatabase db, shell::Ui& ui, const QDate& date, bool closed,
                  const QString& name)
{
    if (!ValidDay(ui, date))
        return false;
    store::TransactionGuard tx(db);
    if (!tx.active()) {
        ui.ShowError(store::WriteErrorMessage(tx.error()));
        return false;
    }
    QSqlQuery q(db);
    // A day already there is updated, so the change record keeps what it was.
    q.prepare("INSERT INTO BizCalendar (CalDate, Kind, Name, Source)"
              " VALUES (:date, :kind, :name, :source) ON CONFLICT (CalDate, Source) DO UPDATE"
              " SET Kind = excluded.Kind, Name = excluded.Name");
    q.bindValue(":date", date.toString(Qt::ISODate));
    q.bindValue(":kind", KindText(closed));
    q.bindValue(":name", name.trimmed());
    q.bindValue(":source", store::kBranchSource);
    if (!q.exec()) {
        ui.ShowError(store::WriteErrorMessage(q.lastError()));
        return false;
    }
    if (!tx.commit()) {
        ui.ShowError(store::WriteErrorMessage(tx.error()));
        return false;
    }
    shell::WriteLog("휴일 관리 " + KindText(closed) + ", 날짜 " + date.toString(Qt::ISODate) +
                    ", 이름 " + name.trimmed());
    return true;
}

bool RemoveBranchDay(QSqlDatabase db, shell::Ui& ui, const QDate& date)
{
    if (!ValidDay(ui, date))
        return false;
    QSqlQuery q(db);
    q.prepare("DELETE FROM BizCalendar WHERE CalDate = :date AND Source = :source");
    q.bindValue(":date", date.toString(Qt::ISODate));
    q.bindValue(":source", store::kBranchSource);
    if (!q.exec()) {
        ui.ShowError(store::WriteErrorMessage(q.lastError()));
        return false;
    }
    if (q.numRowsAffected() == 0) {
        ui.ShowError(QStringLiteral("지점이 등록한 날이 아닙니다."));
        return false;
    }
    shell::WriteLog("휴일 관리 삭제, 날짜 " + date.toString(Qt::ISODate));
    return true;
}

} // namespace calendar
