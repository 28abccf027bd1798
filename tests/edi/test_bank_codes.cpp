#include "edi/bank_groups.h"

#include <gtest/gtest.h>

// The request files' bank code: the group's code for the own banks, any
// other code zero-filled (or cut) to three bytes.
TEST(BankCodes, TransferRequestsWriteThreeBytes)
{
    const struct
    {
        const char* stored;
        const char* written;
    } cases[] = {
        {"10", "011"}, {"11", "011"},  {" 13 ", "012"}, {"15", "012"},
        {"16", "016"}, {"1", "001"},   {"", "000"},     {"  ", "000"},
        {"가", "0가"}, {"123", "123"}, {"1234", "123"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(edi::TransferBankCode(QString::fromUtf8(c.stored)), QString::fromUtf8(c.written))
            << c.stored;
}
