#include "store/consent_key.h"

#include "codes/bank_groups.h"
#include "shell/text_helpers.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace store {

QString ConsentMatchKey(const QString& giganId, const QString& bank, const QString& account,
                        const QString& payer)
{
    return QStringList{giganId.trimmed().toUpper(), codes::ConsentBankCode(bank),
                       shell::DigitsOnly(account), payer.trimmed().toUpper()}
        .join(QChar(0x1f));
}

QSet<QString> ConsentMatchKeys(QSqlQuery& q)
{
    QSet<QString> keys;
    while (q.next())
        keys.insert(ConsentMatchKey(q.value(0).toString(), q.value(1).toString(),
                                    q.value(2).toString(), q.value(3).toString()));
    return keys;
}

} // namespace store
