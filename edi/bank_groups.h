#pragma once

#include "codes/bank_groups.h"

#include <QString>

// The bank as the request files name it, by the one bank-group rule of
// codes/bank_groups.h.
namespace edi {

using codes::BankGroup;
using codes::ConsentBankCode;
using codes::GroupOf;

// The bank as a transfer request writes it: "011", "012", or the code
// zero-filled to three digits.
QString TransferBankCode(const QString& bankCode);

} // namespace edi
