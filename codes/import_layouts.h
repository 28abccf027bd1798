#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

class QSqlDatabase;

namespace shell {
class Ui;
}

namespace codes {

// Stores a layout row of an import-layout table (APTCONV, TongRegisterConv)
// in place of the one named `oldName` (empty for a new layout), in one
// transaction. `values` are column and value pairs, the name column
// `nameColumn` among them. A name another layout has shows "자료명칭이
// 중복됩니다.", any other table error the store's write-error message.
bool SaveLayoutRow(const QSqlDatabase& db, shell::Ui& ui, const QString& table,
                   const QString& nameColumn, const QString& oldName,
                   const QList<QPair<QString, QVariant>>& values);

} // namespace codes
