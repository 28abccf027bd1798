#pragma once

#include "store/database.h"
#include "store/states.h"
#include "transfer/batches.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QTime>
#include <QVariant>
#include <initializer_list>
#include <optional>
#include <utility>

namespace shell {
class Ui;
}

// How the batch and line rows travel to and from their table columns:
// dates and times as text, NULL for an empty value.
namespace transfer::detail {

inline QVariant dateValue(const QDate& d)
{
    return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
}

inline QDate toDate(const QVariant& v)
{
    return v.isNull() ? QDate() : QDate::fromString(v.toString().left(10), Qt::ISODate);
}

inline QTime toTime(const QVariant& v)
{
    return v.isNull() ? QTime() : QTime::fromString(v.toString().left(8), "HH:mm:ss");
}

inline std::optional<int> toOptionalInt(const QVariant& v)
{
    return v.isNull() ? std::nullopt : std::optional<int>(v.toInt());
}

// Reads the columns a batch and a group head share, GiganID, GiganID10,
// FileGubun, BankCode, MoBankNo, IcheDate, IcheEDate, SendDate and Pass, in
// that order from column `first`.
inline void readHeadColumns(TransferHead& h, const QSqlQuery& q, int first)
{
    h.GiganID = q.value(first).toString();
    h.GiganID10 = q.value(first + 1).toString();
    h.FileGubun = q.value(first + 2).toString();
    h.BankCode = q.value(first + 3).toString();
    h.MoBankNo = q.value(first + 4).toString();
    h.IcheDate = toDate(q.value(first + 5));
    h.IcheEDate = toDate(q.value(first + 6));
    h.SendDate = toDate(q.value(first + 7));
    h.Pass = q.value(first + 8).toString();
}

// Binds each (name, value) pair of a prepared statement.
inline void bindAll(QSqlQuery& q, std::initializer_list<std::pair<const char*, QVariant>> values)
{
    for (const auto& [name, value] : values)
        q.bindValue(QString::fromLatin1(name), value);
}

// Binds the columns a new batch and a new group head row share.
inline void bindHeadColumns(QSqlQuery& q, const TransferHead& h)
{
    bindAll(q, {{":GiganID", h.GiganID.isEmpty() ? QVariant() : QVariant(h.GiganID)},
                {":GiganID10", h.GiganID10},
                {":FileGubun", h.FileGubun},
                {":BankCode", h.BankCode},
                {":MoBankNo", h.MoBankNo},
                {":IcheDate", dateValue(h.IcheDate)},
                {":IcheEDate", dateValue(h.IcheEDate)},
                {":SendDate", dateValue(h.SendDate)},
                {":Pass", h.Pass},
                {":State", store::StoredValue(h.State)},
                {":TotNo", h.TotNo},
                {":TotMoney", h.TotMoney},
                {":Bigo", store::TrimRight(h.Bigo)}});
}

// Runs `q`; a refusal is told through `ui` as a write error.
bool execTelling(shell::Ui& ui, QSqlQuery& q);

// Stores the edits of a saved head row of `table` (Apt1 or GroupAp1): what
// both tables keep, and the table's own `column` (the batch's transfer
// date, the group's name) as `value`. A refusal is told through `ui`.
bool updateHead(shell::Ui& ui, const QSqlDatabase& db, const QString& table, const TransferHead& h,
                const QString& column, const QVariant& value);

// The number (AptID) of the head row that `insert` has just added to
// `table`. Head rows take the highest number plus one inside their INSERT
// ("SELECT Coalesce(Max(AptID), 0) + 1, ... FROM <table>"): one statement
// is one write, so two programs creating at the same moment never share a
// number, as a number looked up before the insert could.
// The failure is the user's message.
inline platform::Result<int> insertedNumber(const QSqlDatabase& db, const QSqlQuery& insert,
                                            const QString& table)
{
    // The table name is the module's own, never user input.
    QSqlQuery q(db);
    q.prepare("SELECT AptID FROM " + table + " WHERE rowid = :row");
    q.bindValue(":row", insert.lastInsertId());
    if (!q.exec())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    if (!q.next())
        return platform::Fail(store::ReadFailureMessage(QSqlError(
            {}, QStringLiteral("the new row of %1 is not there").arg(table))));
    return q.value(0).toInt();
}

// The rows `sql` selects, each read by `from`; `id` binds ":id" when given.
// None after telling `ui` why they did not read.
template <typename Row>
std::optional<QList<Row>> readRows(shell::Ui& ui, const QSqlDatabase& db, const QString& sql,
                                   Row (*from)(const QSqlQuery&),
                                   std::optional<int> id = std::nullopt)
{
    QList<Row> out;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(sql);
    if (id)
        q.bindValue(":id", *id);
    if (q.exec())
        while (q.next())
            out.append(from(q));
    if (q.lastError().isValid()) {
        ui.ShowError(store::ReadFailureMessage(q.lastError()));
        return std::nullopt;
    }
    return out;
}

// Runs the prepared INSERT of a head row and returns the number it took
// (insertedNumber); a refusal is told through `ui`.
std::optional<int> insertHead(shell::Ui& ui, const QSqlDatabase& db, QSqlQuery& insert,
                              const QString& table);

} // namespace transfer::detail
