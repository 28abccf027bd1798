#include "codes/bank_groups.h"

#include <QStringList>

namespace codes {
namespace {

const QStringList& centralCodes()
{
    static const QStringList codes{QStringLiteral("10"), QStringLiteral("11")};
    return codes;
}

const QStringList& memberCodes()
{
    static const QStringList codes{QStringLiteral("12"), QStringLiteral("13"), QStringLiteral("14"),
                                   QStringLiteral("15")};
    return codes;
}

QString sqlList(const QStringList& codes)
{
    return "('" + codes.join("', '") + "')";
}

// Bytes in the code page the codes are stored in: a character beyond ASCII
// takes two.
int storedWidth(const QString& text)
{
    int width = 0;
    for (QChar c : text)
        width += c.unicode() < 0x80 ? 1 : 2;
    return width;
}

} // namespace

BankGroup GroupOf(const QString& bankCode)
{
    const QString code = bankCode.trimmed();
    if (centralCodes().contains(code))
        return BankGroup::Central;
    if (memberCodes().contains(code))
        return BankGroup::Member;
    return BankGroup::Other;
}

bool IsOwnBank(const QString& bankCode)
{
    return GroupOf(bankCode) != BankGroup::Other;
}

QString ConsentBankCode(const QString& bankCode)
{
    switch (GroupOf(bankCode)) {
    case BankGroup::Central:
        return QStringLiteral("11");
    case BankGroup::Member:
        return QStringLiteral("12");
    case BankGroup::Other:
        break;
    }
    // Stored codes hold at most two bytes, so only a short one is filled.
    const QString code = bankCode.trimmed();
    return QString(qMax(0, 2 - storedWidth(code)), QChar('0')) + code;
}

QString BankGroupSql(const QString& column)
{
    return QString("CASE WHEN %1 IN %2 THEN %3 WHEN %1 IN %4 THEN %5 WHEN %1 IS NOT NULL THEN %6 "
                   "END")
        .arg(column, sqlList(centralCodes()))
        .arg(int(BankGroup::Central))
        .arg(sqlList(memberCodes()))
        .arg(int(BankGroup::Member))
        .arg(int(BankGroup::Other));
}

QString OwnBankSql(const QString& column)
{
    return column + " IN " + sqlList(centralCodes() + memberCodes());
}

} // namespace codes
