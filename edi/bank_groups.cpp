#include "edi/bank_groups.h"

#include "shell/text_helpers.h"

namespace edi {

BankGroup GroupOf(const QString& bankCode)
{
    const QString code = bankCode.trimmed();
    if (code == QLatin1String("10") || code == QLatin1String("11"))
        return BankGroup::Central;
    if (code.size() == 2 && code >= QLatin1String("12") && code <= QLatin1String("15"))
        return BankGroup::Member;
    return BankGroup::Other;
}

QString TransferBankCode(const QString& bankCode)
{
    switch (GroupOf(bankCode)) {
    case BankGroup::Central:
        return QStringLiteral("011");
    case BankGroup::Member:
        return QStringLiteral("012");
    default:
        return shell::PadZeros(bankCode.trimmed(), 3, false);
    }
}

QString ConsentBankCode(const QString& bankCode)
{
    switch (GroupOf(bankCode)) {
    case BankGroup::Central:
        return QStringLiteral("11");
    case BankGroup::Member:
        return QStringLiteral("12");
    default:
        return shell::PadZeros(bankCode.trimmed(), 2, false);
    }
}

} // namespace edi
