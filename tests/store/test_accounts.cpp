#include "shell/workspace.h"
#include "store/account_numbers.h"
#include "tests/support/workspace_fixture.h"

#include <gtest/gtest.h>

using namespace store;

class Accounts : public testing_support::WorkspaceTest
{
protected:
    void TearDown() override
    {
        ReloadAccountRules();
        WorkspaceTest::TearDown();
    }
};

TEST_F(Accounts, NormalizeBankCode)
{
    const QList<QPair<QString, QString>> cases = {
        {"22", "20"}, {"24", "20"}, {"20", "20"}, {"11", "11"}, {"x2", "x2"}, {"", ""}, {"024", "20"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(NormalizeBankCode(in).toStdString(), out.toStdString()) << in.toStdString();
    EXPECT_EQ(StripHyphens("12-3-45").toStdString(), "12345");
}

TEST_F(Accounts, ShippedRulesCheckAndHyphenate)
{
    ReloadAccountRules(); // the file installed beside the programs
    struct Case
    {
        const char* bank;
        const char* number;
        bool valid;
        const char* shown;
    } cases[] = {
        {"11", "3011234567891", true, "301-1234-5678-91"},
        {"11", "301-1234-5678-91", true, "301-1234-5678-91"},
        {"04", "12345678901234", true, "123456-78-901234"},
        {"04", "123456789012", true, "123-45-6789-012"},
        {"04", "1234567890123", false, ""},
        {"20", "1002123456789", true, "1002-123-456789"},
        {"88", "110123456789", true, "110-123-456789"},
        {"11", "30112345678a1", false, ""},
        // A bank without rules: 10 to 16 digits, shown as entered.
        {"99", "1234567890", true, "1234567890"},
        {"99", "12-34567890", true, "12-34567890"},
        {"99", "123456789", false, ""},
        {"99", "12345678901234567", false, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidAccount(c.bank, c.number), c.valid) << c.bank << " " << c.number;
        EXPECT_EQ(HyphenateAccount(c.bank, c.number).toStdString(), c.shown) << c.bank << " " << c.number;
    }
    // Where the library gives no display form the number is kept as entered.
    EXPECT_EQ(HyphenateOrKeep("04", " 1234 567").toStdString(), "1234567");
    EXPECT_EQ(HyphenateOrKeep("11", "3011234567891").toStdString(), "301-1234-5678-91");
}

TEST_F(Accounts, BrokenRulesAcceptEverythingAndLogOnce)
{
    const QList<QByteArray> broken = {
        "[Banks]\r\n04=6-x-6\r\n",
        "[Banks]\r\n4=6-2-6\r\n",
        "no sections here\r\n",
        "[Banks]\r\n04=6-2-6-9\r\n", // more than 16 digits
    };
    for (const QByteArray& content : broken) {
        writeFile("rules.ini", content);
        QFile::remove(path("202403.log"));
        ReloadAccountRules(path("rules.ini"));
        EXPECT_TRUE(IsValidAccount("04", "1"));
        EXPECT_EQ(HyphenateAccount("04", "12345678901234").toStdString(), "12345678901234");
        EXPECT_TRUE(IsValidAccount("04", "abc"));
        EXPECT_EQ(readFile("202403.log").count('\n'), 1) << content.toStdString();
    }
    ReloadAccountRules(path("missing.ini"));
    EXPECT_TRUE(IsValidAccount("11", "1"));
    EXPECT_TRUE(readFile("202403.log").contains("missing.ini"));
}
