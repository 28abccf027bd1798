#include "edi/bank_groups.h"

#include "shell/text_helpers.h"

namespace edi {

QString TransferBankCode(const QString& bankCode)
{
    // Filling the consent files' two digits to three fills any other code
    // as filling it to three at once would.
    return shell::PadZeros(ConsentBankCode(bankCode), 3, false);
}

} // namespace edi
