#include "store/consent_key.h"

#include "shell/text_helpers.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace store {
namespace {

QString consentBank(const QString& bankCode)
{
    const QString code = bankCode.trimmed();
    if (code == QLatin1String("10") || code == QLatin1String("11"))
        return QStringLiteral("11");
    if (code.size() == 2 && code >= QLatin1String("12") && code <= QLatin1String("15"))
        return QStringLiteral("12");
    return shell::PadZeros(code, 2, false);
}

} // namespace

QString ConsentMatchKey(const QString& giganId, const QString& bank, const QString& account,
                        const QString& payer)
{
    return QStringList{giganId.trimmed().toUpper(), consentBank(bank), shell::DigitsOnly(account),
                       payer.trimmed().toUpper()}
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
