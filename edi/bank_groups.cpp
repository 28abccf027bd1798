#include "edi/bank_groups.h"

#include "shell/text_helpers.h"

namespace edi {

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

} // namespace edi
