#pragma once

#include <QString>

// The bank groups the request files, their totals and the consent files
// use: codes 10 and 11 (the central bank), 12 to 15 (member banks), and
// every other bank.
namespace edi {

enum class BankGroup { Central, Member, Other };

BankGroup GroupOf(const QString& bankCode);

// The bank as a transfer request writes it: "011", "012", or the code
// zero-filled to three digits.
QString TransferBankCode(const QString& bankCode);
// The bank as a consent request writes it: "11", "12", or the code
// zero-filled to two digits.
QString ConsentBankCode(const QString& bankCode);

} // namespace edi
