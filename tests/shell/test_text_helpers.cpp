#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/import_helpers.h"
#include "shell/text_helpers.h"
#include "tests/support/workspace_fixture.h"

#include <gtest/gtest.h>

using namespace shell;

namespace {

std::string s(const QString& q)
{
    return q.toStdString();
}

} // namespace

TEST(Codec, RoundTripsKoreanAndCountsBytes)
{
    const QString text = QStringLiteral("동 101호 홍길동");
    const QByteArray bytes = ToCp949(text);
    EXPECT_EQ(bytes.size(), 2 + 1 + 3 + 2 + 1 + 6);
    EXPECT_EQ(Cp949Length(text), bytes.size());
    EXPECT_EQ(FromCp949(bytes), text);
    // A character CP949 cannot hold becomes one "?" and does not derail the rest.
    EXPECT_EQ(ToCp949(QStringLiteral("a😀b")), QByteArray("a?b"));
    // A broken lead byte decodes to one replacement character, then goes on.
    EXPECT_EQ(FromCp949(QByteArray("\xB0 AB")), QString(QChar(0xFFFD)) + " AB");
    EXPECT_EQ(FromCp949(QByteArray("AB\xB0")), "AB" + QString(QChar(0xFFFD)));
}

TEST(Codec, CutsNeverSplitACharacter)
{
    const QByteArray bytes = ToCp949(QStringLiteral("가나다")); // 6 bytes
    EXPECT_EQ(LeftBytes(bytes, 3), bytes.left(2));
    EXPECT_EQ(LeftBytes(bytes, 4), bytes.left(4));
    EXPECT_EQ(MidBytes(bytes, 1, 4), bytes.mid(2, 2)); // both edges split
    EXPECT_EQ(MidBytes(bytes, 2, 10), bytes.mid(2));
    EXPECT_TRUE(MidBytes(bytes, 6, 2).isEmpty());
}

TEST(TextHelpers, PadToByteWidths)
{
    struct Case
    {
        QString text;
        int width;
        bool left;
        bool zeros;
        QString expected;
    } cases[] = {
        {"abc", 2, true, false, "ab"},
        {"7", 3, false, true, "007"},
        {"7", 3, true, true, "700"},
        {"ab", 4, true, false, "ab  "},
        {"ab", 4, false, false, "  ab"},
        {QStringLiteral("홍길동"), 8, true, false, QStringLiteral("홍길동  ")},
        // The cut lands inside the third character: it becomes a blank.
        {QStringLiteral("홍길동"), 5, true, false, QStringLiteral("홍길 ")},
        {"", 0, true, false, ""},
    };
    for (const Case& c : cases) {
        const QString got = c.zeros ? PadZeros(c.text, c.width, c.left) : PadText(c.text, c.width, c.left);
        EXPECT_EQ(s(got), s(c.expected)) << s(c.text) << " width " << c.width;
        EXPECT_EQ(Cp949Length(got), c.width) << s(c.text);
    }
}

TEST(TextHelpers, CharacterClasses)
{
    EXPECT_FALSE(IsDigitText(""));
    EXPECT_FALSE(IsDigitText("12a4"));
    EXPECT_TRUE(IsDigitText("0123"));
    EXPECT_EQ(s(DigitsOnly("12-3a4 5")), "12345");
    EXPECT_EQ(s(RemoveChar("1-2-3", '-')), "123");
    EXPECT_TRUE(HasDoubleByte(QStringLiteral("a가")));
    EXPECT_FALSE(HasDoubleByte("abc-1"));
    EXPECT_EQ(s(SymbolChars(QStringLiteral("a-b 가!1"))), "- !");
    EXPECT_EQ(s(StripSymbols(QStringLiteral("a-b 가!1"))), s(QStringLiteral("ab가1")));
    EXPECT_TRUE(EndsAlphanumeric("x"));
    EXPECT_FALSE(EndsAlphanumeric("-"));
}

TEST(TextHelpers, ParseDatesAndTimes)
{
    const QDate fallback(1990, 1, 1);
    struct ShortCase
    {
        const char* text;
        QDate expected;
    } shortCases[] = {
        {"891231", QDate(2089, 12, 31)}, {"900101", QDate(1990, 1, 1)},
        {"000000", fallback},           {"", fallback},
        {"24x215", fallback},           {"240230", fallback},
        {"991231", QDate(1999, 12, 31)}, {"2403", QDate(2024, 3, 1)},
    };
    for (const auto& c : shortCases)
        EXPECT_EQ(ParseShortDate(c.text), c.expected) << c.text;

    struct LongCase
    {
        const char* text;
        QDate expected;
        bool conversionError;
    } longCases[] = {
        {"20240229", QDate(2024, 2, 29), false},
        {"20230229", fallback, true},
        {"", fallback, false},
        {"00000000", fallback, false},
        {"2024", fallback, false},
        {"2024ab01", fallback, true},
    };
    for (const auto& c : longCases) {
        const auto r = ParseLongDate(c.text);
        EXPECT_EQ(r.value, c.expected) << c.text;
        EXPECT_EQ(r.conversionError, c.conversionError) << c.text;
    }

    EXPECT_EQ(ParseTime("235959").value, QTime(23, 59, 59));
    EXPECT_EQ(ParseTime("").value, QTime(0, 0, 0));
    EXPECT_EQ(ParseTime("-1").value, QTime(0, 0, 0));
    EXPECT_TRUE(ParseTime("256000").conversionError);
    EXPECT_EQ(ParseTime("1230").value, QTime(12, 30, 0));
}

TEST(TextHelpers, Base62AndFractions)
{
    EXPECT_EQ(s(Base62Text(62)), "10");
    EXPECT_EQ(s(Base62Text(3844)), "100");
    EXPECT_EQ(s(Base62Text(61)), "z");
    EXPECT_EQ(Base62Value("10"), 62);
    EXPECT_EQ(Base62Value("Z"), 35);
    EXPECT_EQ(Base62Value("z"), 61);
    EXPECT_EQ(Base62Value(""), 0);
    EXPECT_EQ(Base62Value("1-"), 62); // an unknown character counts 0
    for (qint64 n : {1LL, 61LL, 62LL, 12345678LL, 99999999999LL})
        EXPECT_EQ(Base62Value(Base62Text(n)), n);

    EXPECT_EQ(s(FractionDigits(1, 3)), "3333");
    EXPECT_EQ(s(FractionDigits(7, 8)), "8750");
    EXPECT_EQ(s(FractionDigits(10, 5)), "0000");
    EXPECT_EQ(s(FractionDigits(1234567, 1009)), s(FractionDigits(1234567 % 1009, 1009)));
    for (int i = 0; i < 50; ++i) {
        const int p = RandomPrime();
        EXPECT_GE(p, 1009);
        EXPECT_LE(p, 1721);
        for (int d = 2; d * d <= p; ++d)
            ASSERT_NE(p % d, 0) << p;
    }
}

class FixedColumns : public testing_support::WorkspaceTest
{
protected:
    Grid read(const QByteArray& content, int mode = 1)
    {
        writeFile("in.txt", content);
        const platform::Result<Grid> grid = ReadFixedColumns(mode, path("in.txt"), layout);
        EXPECT_TRUE(grid.ok());
        return grid ? *grid : Grid();
    }
    QList<LayoutRow> layout = {{"dong", 1, 4}, {"ho", 5, 4}, {"name", 9, 6}, {"unused", 0, 0}};
};

TEST_F(FixedColumns, SkipsTitleLineWithinTheFirstTen)
{
    const QByteArray content = ToCp949(QStringLiteral("관리비 명세\r\n2024년 3월\r\n동   호   이름\r\n"
                                                      "101 1201홍길동\r\n\r\n102 0303김철수\r\n"));
    const Grid g = read(content, 2);
    ASSERT_EQ(g.size(), 3);
    EXPECT_EQ(g[0], (QStringList{"dong", "ho", "name"}));
    EXPECT_EQ(g[1], (QStringList{"101", "1201", QStringLiteral("홍길동")}));
    EXPECT_EQ(g[2], (QStringList{"102", "0303", QStringLiteral("김철수")}));
}

TEST_F(FixedColumns, ReadsWholeFileWithoutTitleLine)
{
    QByteArray content;
    for (int i = 0; i < 12; ++i)
        content += QByteArray::number(100 + i) + " 0101abcdef\n";
    // A title on line 11 is too late to count.
    content += ToCp949(QStringLiteral("동 title\n"));
    const Grid g = read(content);
    ASSERT_EQ(g.size(), 1 + 13);
    EXPECT_EQ(g[0].size(), 4); // mode 1 keeps every layout row
    EXPECT_EQ(g[1][0], "100");
    EXPECT_EQ(g[1][3], "");
}

TEST_F(FixedColumns, CutsColumnsInBytesAndDropsSplitCharacters)
{
    // "이름" column starts inside a double-byte character: the half is left out.
    layout = {{"a", 1, 3}, {"b", 4, 4}};
    const Grid g = read(ToCp949(QStringLiteral("12가나다\n")));
    ASSERT_EQ(g.size(), 2);
    EXPECT_EQ(s(g[1][0]), "12");
    EXPECT_EQ(s(g[1][1]), s(QStringLiteral("나")));
}

TEST_F(FixedColumns, LongLinesAreReadWhole)
{
    // A field past byte 255 is read like any other.
    layout = {{"tail", 250, 10}, {"far", 401, 6}};
    const Grid g = read(QByteArray(249, 'x') + "ABCDEFGHIJ" + QByteArray(141, 'y') + "KLMNOP\n");
    ASSERT_EQ(g.size(), 2);
    EXPECT_EQ(s(g[1][0]), "ABCDEFGHIJ");
    EXPECT_EQ(s(g[1][1]), "KLMNOP");
}
