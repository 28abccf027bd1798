#include "codes/bank_groups.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <gtest/gtest.h>

using namespace codes;

namespace {

struct Case
{
    QVariant code; // as stored; null for NULL
    std::optional<BankGroup> group;
    const char* consent;
};

const Case kCases[] = {
    {QStringLiteral("10"), BankGroup::Central, "11"},
    {QStringLiteral("11"), BankGroup::Central, "11"},
    {QStringLiteral("12"), BankGroup::Member, "12"},
    {QStringLiteral("15"), BankGroup::Member, "12"},
    {QStringLiteral("16"), BankGroup::Other, "16"},
    {QStringLiteral("09"), BankGroup::Other, "09"},
    {QStringLiteral("1"), BankGroup::Other, "01"},
    {QStringLiteral("1a"), BankGroup::Other, "1a"},
    {QStringLiteral(""), BankGroup::Other, "00"},
    {QStringLiteral("가"), BankGroup::Other, "가"},
    {QVariant(), std::nullopt, ""},
};

} // namespace

// Statements and code group alike; a line without a bank code belongs to no
// group in a statement.
TEST(BankGroups, StatementsGroupAsTheCodeDoes)
{
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bank_groups");
    db.setDatabaseName(":memory:");
    ASSERT_TRUE(db.open());
    {
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TABLE Banks (Code TEXT)"));
        ASSERT_TRUE(q.prepare("SELECT " + BankGroupSql("Code") + ", " + OwnBankSql("Code") +
                              " FROM Banks"));
        QSqlQuery fill(db);
        for (const Case& c : kCases) {
            const std::string name = c.code.toString().toStdString();
            ASSERT_TRUE(fill.exec("DELETE FROM Banks"));
            fill.prepare("INSERT INTO Banks VALUES (?)");
            fill.addBindValue(c.code.isNull() ? QVariant(QMetaType(QMetaType::QString)) : c.code);
            ASSERT_TRUE(fill.exec());
            ASSERT_TRUE(q.exec() && q.next()) << name;
            if (!c.group) {
                EXPECT_TRUE(q.value(0).isNull()) << name;
                continue;
            }
            EXPECT_EQ(q.value(0).toInt(), int(*c.group)) << name;
            EXPECT_EQ(GroupOf(c.code.toString()), *c.group) << name;
            EXPECT_EQ(q.value(1).toBool(), IsOwnBank(c.code.toString())) << name;
            EXPECT_EQ(ConsentBankCode(c.code.toString()), QString::fromUtf8(c.consent)) << name;
        }
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("bank_groups");
}
