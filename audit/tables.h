#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Which tables the record follows and how their rows are named: inside the
// audit library only.
namespace audit::detail {

// The statement that appends one row: each argument an SQL expression
// (a bound parameter, NEW.x in a trigger). Chained through AuditHead.
QString AppendSql(const QString& action, const QString& table, const QString& key,
                  const QString& institution, const QString& field, const QString& oldValue,
                  const QString& newValue, const QString& items = QStringLiteral("NULL"),
                  const QString& when = QString());

// The connection's own triggers on the recorded tables of `main`, over the
// columns each table has (`columnsOf` answers), each named audit_….
QStringList TriggerSql(const std::function<QStringList(const QString& table)>& columnsOf);

} // namespace audit::detail
