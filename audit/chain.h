#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// The hash chain of the change record: each row's SHA-256 covers its own
// content and the hash of the row before it, so that a row changed, taken
// out or put in by anything but the program breaks the chain there.
namespace audit {

// The hashed fields of a row, in the order they are hashed.
struct RowContent
{
    qint64 seq = 0;
    QString time;
    QString user;
    QString program;
    QString action;
    QString table;
    QString key;
    QString institution;
    QString field;
    QVariant oldValue; // null when the row has none
    QVariant newValue;
    QString prev; // the hash of the row before; empty for a chain's first row
    QVariant items; // a gathered row's changes (JSON), null for a single change
};

// Lower-case hex SHA-256 of the row's canonical form: each field's UTF-8
// bytes behind their length, a null value marked apart from an empty one.
QString RowHash(const RowContent& row);
// The same over the texts as the SQL function passes them (null: a null
// QVariant), 13 fields in RowContent's order.
QString RowHash(const QList<QVariant>& fields);

} // namespace audit
