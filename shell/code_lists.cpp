#include "shell/code_lists.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>

namespace shell {
namespace {

bool loadColumn(const QSqlDatabase& db, const char* sql, QStringList& into)
{
    into.clear();
    if (!db.isOpen())
        return false;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QString::fromLatin1(sql)))
        return false;
    while (q.next())
        into.append(q.value(0).toString());
    std::sort(into.begin(), into.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return true;
}

} // namespace

bool ReloadCodeLists(const QSqlDatabase& db, CodeLists& lists)
{
    const bool institutions = loadColumn(db, "SELECT APID10 FROM USERCODE", lists.institutions);
    const bool banks = loadColumn(db, "SELECT ID FROM BankCode", lists.banks);
    return institutions && banks;
}

} // namespace shell
