#include "codes/code_lists.h"
#include "shell/clock.h"

#include <gtest/gtest.h>

using namespace codes;

namespace {

std::string s(const QString& q)
{
    return q.toStdString();
}

} // namespace

TEST(ImportHelpers, CheckTemplateField)
{
    shell::FreezeNow(QDateTime(QDate(2024, 3, 15), QTime(9, 0)));
    const CodeLists codes{{"A123456789", "B1"}, {"03", "04", "11", "12", "14", "20"}};
    struct Case
    {
        int column;
        QString text;
        bool accepted;
        QString value;
        bool conversionError;
    } cases[] = {
        {0, QStringLiteral(" 홍길동 "), true, QStringLiteral("홍길동"), false},
        {0, "", false, "", false},
        {1, "b1", true, "b1", false},
        {1, "C9", false, "C9", false},
        {2, "3", true, "03", false},
        {2, "14", true, "12", false},
        {2, "11", true, "11", false},
        {2, "20", true, "20", false},
        {2, "05", false, "05", false},
        {2, "00", false, "00", false},
        {2, "123", false, "123", false},
        {3, "123-45 6", true, "123456", false},
        {3, "12a", false, "12a", false},
        {4, "P0001", true, "P0001", false},
        {4, QStringLiteral("가1"), false, QStringLiteral("가1"), false},
        {4, "12345678901234", false, "12345678901234", false},
        {5, "800101-1234567", true, "8001011234567", false},
        {5, "800101-12345678", false, "80010112345678", false},
        {5, "", false, "", false},
        {6, "", true, "2024-03-15", false},
        {6, "2024-02-29", true, "2024-02-29", false},
        {6, "20230229", false, "20230229", true},
        {6, "202402", false, "202402", false},
        {7, "25", true, "25", false},
        {7, "32", false, "32", false},
        {7, "a", false, "a", true},
        {7, "", true, "", false},
        {8, "123", true, "123", false},
        {8, "1234", false, "1234", false},
        {9, "y", true, "Y", false},
    };
    for (const Case& c : cases) {
        const FieldCheck r = CheckTemplateField(false, c.column, c.text, codes);
        EXPECT_EQ(r.accepted, c.accepted) << c.column << " " << s(c.text);
        if (r.accepted) {
            EXPECT_EQ(s(r.value), s(c.value)) << c.column << " " << s(c.text);
        }
        EXPECT_EQ(r.conversionError, c.conversionError) << c.column << " " << s(c.text);
    }
    // `accept` takes the trimmed text as it is.
    EXPECT_TRUE(CheckTemplateField(true, 2, " zz ", codes).accepted);
    EXPECT_EQ(s(CheckTemplateField(true, 2, " zz ", codes).value), "zz");
    shell::ResetClock();
}
