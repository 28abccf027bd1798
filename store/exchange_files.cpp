#include "store/exchange_files.h"

#include "shell/workspace.h"
#include "store/database.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace store {

platform::Result<shell::ExchangeFileNames> ExchangeFileNamesOf(QSqlDatabase db)
{
    QStringList codes;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (q.exec("SELECT APOUT, APIN, TREGISTEROUT, TREGISTERIN FROM UserCode"))
        while (q.next())
            for (int i = 0; i < 4; ++i)
                codes.append(q.value(i).toString());
    if (q.lastError().isValid())
        return platform::Fail(ReadFailureMessage(q.lastError()));
    return shell::ExchangeFileNames(codes);
}

platform::Result<shell::ExchangeFileNames> ExchangeFileNamesOf(const shell::Workspace& ws)
{
    const QString file = ws.dataDir + "Pelmar.db";
    if (!QFileInfo(file).isFile())
        return shell::ExchangeFileNames();
    const QString name = "exchange-names-" + QUuid::createUuid().toString(QUuid::Id128);
    platform::Result<shell::ExchangeFileNames> names = shell::ExchangeFileNames();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(file);
        db.setConnectOptions("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=3000");
        if (db.open())
            names = ExchangeFileNamesOf(db);
        else
            names = platform::Fail(ReadFailureMessage(db.lastError()));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return names;
}

} // namespace store
