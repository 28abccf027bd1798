#pragma once

#include <QDate>
#include <QSqlQuery>
#include <QString>
#include <QTime>
#include <QVariant>
#include <initializer_list>
#include <optional>
#include <utility>

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

// Binds each (name, value) pair of a prepared statement.
inline void bindAll(QSqlQuery& q, std::initializer_list<std::pair<const char*, QVariant>> values)
{
    for (const auto& [name, value] : values)
        q.bindValue(QString::fromLatin1(name), value);
}

} // namespace transfer::detail
