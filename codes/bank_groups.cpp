#include "codes/bank_groups.h"

#include <QList>
#include <QStringList>

namespace codes {
namespace {

// The own banks' groups: their codes, and the code that stands for the
// whole group in the files. Every other code is a bank of its own.
struct OwnGroup
{
    BankGroup group;
    QStringList codes;
    QString fileCode;
};

const QList<OwnGroup>& ownGroups()
{
    static const QList<OwnGroup> groups = {
        {BankGroup::Central, {QStringLiteral("10"), QStringLiteral("11")}, QStringLiteral("11")},
        {BankGroup::Member,
         {QStringLiteral("12"), QStringLiteral("13"), QStringLiteral("14"), QStringLiteral("15")},
         QStringLiteral("12")},
    };
    return groups;
}

// Nullptr for another bank.
const OwnGroup* ownGroupOf(const QString& bankCode)
{
    const QString code = bankCode.trimmed();
    for (const OwnGroup& g : ownGroups())
        if (g.codes.contains(code))
            return &g;
    return nullptr;
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
    const OwnGroup* own = ownGroupOf(bankCode);
    return own ? own->group : BankGroup::Other;
}

bool IsOwnBank(const QString& bankCode)
{
    return ownGroupOf(bankCode) != nullptr;
}

QString GroupBankCode(const QString& bankCode)
{
    const OwnGroup* own = ownGroupOf(bankCode);
    return own ? own->fileCode : bankCode.trimmed();
}

QString ConsentBankCode(const QString& bankCode)
{
    // Stored codes hold at most two bytes, so only a short one is filled.
    const QString code = GroupBankCode(bankCode);
    return QString(qMax(0, 2 - storedWidth(code)), QChar('0')) + code;
}

QString BankGroupSql(const QString& column)
{
    QString sql = QStringLiteral("CASE");
    for (const OwnGroup& g : ownGroups())
        sql += QString(" WHEN %1 IN %2 THEN %3").arg(column, sqlList(g.codes)).arg(int(g.group));
    return sql + QString(" WHEN %1 IS NOT NULL THEN %2 END").arg(column).arg(int(BankGroup::Other));
}

QString OwnBankSql(const QString& column)
{
    QStringList codes;
    for (const OwnGroup& g : ownGroups())
        codes += g.codes;
    return column + " IN " + sqlList(codes);
}

} // namespace codes
