#include "edi/bank_groups.h"

#include "shell/text_helpers.h"

namespace edi {

QString TransferBankCode(const QString& bankCode)
{
    return shell::PadZeros(codes::GroupBankCode(bankCode), 3, false);
}

} // namespace edi
