#include "codes/import_layouts.h"

#include "shell/ui.h"
#include "store/database.h"
#include "store/transaction_guard.h"

#include <QSqlError>
#include <QSqlQuery>

#include <optional>

namespace codes {

bool SaveLayoutRow(const QSqlDatabase& db, shell::Ui& ui, const QString& table,
                   const QString& nameColumn, const QString& oldName,
                   const QList<QPair<QString, QVariant>>& values)
{
    QString name;
    QStringList columns, marks;
    for (const auto& [column, value] : values) {
        if (column == nameColumn)
            name = value.toString();
        columns << column;
        marks << "?";
    }
    QSqlQuery dup(db);
    dup.prepare("SELECT Count(*) FROM " + table + " WHERE " + nameColumn + " = ? AND " +
                nameColumn + " <> ?");
    dup.addBindValue(name);
    dup.addBindValue(oldName);
    if (dup.exec() && dup.next() && dup.value(0).toInt() > 0) {
        ui.ShowInfo(QStringLiteral("자료명칭이 중복됩니다."));
        return false;
    }
    // The transaction is over (rolled back on failure) before the message shows.
    const std::optional<QSqlError> error = [&]() -> std::optional<QSqlError> {
        store::TransactionGuard transaction(db);
        if (!transaction.active())
            return transaction.error();
        if (!oldName.isEmpty()) {
            QSqlQuery del(db);
            del.prepare("DELETE FROM " + table + " WHERE " + nameColumn + " = ?");
            del.addBindValue(oldName);
            if (!del.exec())
                return del.lastError();
        }
        QSqlQuery insert(db);
        insert.prepare("INSERT INTO " + table + " (" + columns.join(", ") + ") VALUES (" +
                       marks.join(", ") + ")");
        for (const auto& [column, value] : values)
            insert.addBindValue(column == nameColumn && name.trimmed().isEmpty() ? QVariant()
                                                                                 : value);
        if (!insert.exec())
            return insert.lastError();
        if (!transaction.commit())
            return transaction.error();
        return std::nullopt;
    }();
    if (!error)
        return true;
    ui.ShowError(store::WriteErrorMessage(*error));
    return false;
}

} // namespace codes
