#pragma once

#include <QString>

// The bank groups of the bank codes: 10 and 11 (the central bank), 12 to 15
// (member banks), and every other bank. The request files, the batch totals,
// the consent files and their match keys, the consent import and the group
// screens all group by this one rule. It sits below every other target
// (it needs only QtCore), so that shell and store may use it as well.
namespace codes {

enum class BankGroup { Central, Member, Other };

// By the code as stored, surrounding blanks ignored.
BankGroup GroupOf(const QString& bankCode);
// The central bank or a member bank.
bool IsOwnBank(const QString& bankCode);

// The code that stands for the bank in the files: "11" for the central
// bank, "12" for a member bank, the code itself (blanks around it dropped)
// for any other bank.
QString GroupBankCode(const QString& bankCode);

// The bank as a consent file and a consent's match key name it: "11",
// "12", or the code zero-filled to two digits.
QString ConsentBankCode(const QString& bankCode);

// The same rule for a statement: the group (int(BankGroup)) of the column's
// code, NULL for a NULL code.
QString BankGroupSql(const QString& column);
// The statement's condition "the column holds an own bank's code".
QString OwnBankSql(const QString& column);

} // namespace codes
