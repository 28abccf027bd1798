#pragma once

#include <QSet>
#include <QString>

class QSqlQuery;

namespace store {

// A consent's key as the consent files carry it, so that a transfer line
// and a consent are matched field by field: institution code and payer
// number without regard to case, the bank by its group as the consent file
// writes it ("11" for the central bank, "12" for the member banks, other
// codes zero-filled to two), the account by its digits. The fields are
// joined with a separator no field holds, so no two keys run into each
// other.
QString ConsentMatchKey(const QString& giganId, const QString& bank, const QString& account,
                        const QString& payer);
// The keys of the rows of an executed query whose first four columns are
// institution code, bank, account and payer number.
QSet<QString> ConsentMatchKeys(QSqlQuery& q);

} // namespace store
