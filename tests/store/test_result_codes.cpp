#include "store/result_codes.h"

#include <gtest/gtest.h>

namespace {

using store::RegisterResultText;
using store::ResultCodeSeeds;

TEST(ResultCodes, SeedsAreTheStoredCodesInTheirOrder)
{
    const auto& seeds = ResultCodeSeeds();
    ASSERT_EQ(seeds.size(), 43);
    EXPECT_EQ(seeds.first().first, QStringLiteral("0000"));
    EXPECT_EQ(seeds.at(1).first, QStringLiteral("0101"));
    EXPECT_EQ(seeds.last().first, QStringLiteral("2088"));
    QStringList ids;
    for (const auto& [id, text] : seeds)
        ids << id;
    // 2015 was always inserted right after 2005; the register's own codes never are.
    EXPECT_EQ(ids.indexOf("2015"), ids.indexOf("2005") + 1);
    EXPECT_FALSE(ids.contains("0010"));
}

TEST(ResultCodes, EachSideKeepsItsSpelling)
{
    struct Row
    {
        int code;
        const char* stored;     // nullptr: not seeded
        const char* registered; // nullptr: unknown to the register
    };
    const Row rows[] = {
        {444, "입금 상대 은행 장애", "입금상대은행 장애"},
        {1008, "은행 System Error", "은행Systme Error"},
        {101, "수취인계좌 없음", "수취인계좌 없음"},
        {1007, " ", nullptr},
        {2088, "기타오류(은행확인필요)", nullptr},
        {33, nullptr, "END전송레코드수/신규등록의뢰건수/해지등록의뢰건수"},
        {9999, nullptr, nullptr},
    };
    for (const Row& r : rows) {
        const QString id = QStringLiteral("%1").arg(r.code, 4, 10, QLatin1Char('0'));
        QString stored;
        bool seeded = false;
        for (const auto& [seedId, text] : ResultCodeSeeds())
            if (seedId == id) {
                seeded = true;
                stored = text;
            }
        EXPECT_EQ(seeded, r.stored != nullptr) << r.code;
        if (r.stored) {
            EXPECT_EQ(stored, QString::fromUtf8(r.stored)) << r.code;
        }
        const char* shown = RegisterResultText(r.code);
        if (r.registered)
            EXPECT_EQ(QString::fromUtf8(shown), QString::fromUtf8(r.registered)) << r.code;
        else
            EXPECT_EQ(shown, nullptr) << r.code;
    }
}

} // namespace
